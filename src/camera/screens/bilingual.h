// The two wordings of every label of a page and the switch between them.
#pragma once

#include <functional>
#include <vector>

#include <QString>

class QAbstractButton;
class QGroupBox;
class QLabel;

namespace ostrel::pages {

struct Wording {
    const char* english;
    const char* chinese;  // UTF-8
};

// The caption of the language button, the same in both languages.
inline constexpr const char* kLanguageButton = "English/中文";

// Remembers which widget shows which wording and sets them all at once.
class Bilingual {
  public:
    void add(QLabel* label, Wording w);
    void add(QAbstractButton* button, Wording w);
    void add(QGroupBox* box, Wording w);

    bool chinese() const { return chinese_; }
    void setChinese(bool chinese);
    void toggle() { setChinese(!chinese_); }
    QString text(Wording w) const;

  private:
    struct Entry {
        std::function<void(const QString&)> set;
        Wording wording;
    };
    std::vector<Entry> entries_;
    bool chinese_ = false;
};

}  // namespace ostrel::pages
