// The display-language switch as a signal: the "Chinese" and "English" menu
// commands go through here, and every open screen listens and sets its
// captions again at once.
#pragma once

#include <QObject>

namespace corvane::screens {

class LanguageEvents : public QObject {
    Q_OBJECT

  public:
    // The one broadcaster of the process (created on first use, on the
    // thread that owns the screens).
    static LanguageEvents& instance();

    // Stores the language (1 English, 0 Chinese; anything else is English)
    // and tells every listener, also when it did not change.
    void setLanguage(int language);
    int language() const;

  signals:
    void languageChanged(int language);

  private:
    LanguageEvents() = default;
};

// Calls `retranslate` on `screen` whenever the language changes, for as long
// as `screen` lives.
template <typename Screen>
void followLanguage(Screen* screen) {
    QObject::connect(&LanguageEvents::instance(), &LanguageEvents::languageChanged, screen,
                     [screen] { screen->retranslate(); });
}

}  // namespace corvane::screens
