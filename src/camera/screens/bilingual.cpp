// Label wordings of the pages.
#include "camera/screens/bilingual.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

namespace ostrel::pages {

void Bilingual::add(QLabel* label, Wording w) {
    entries_.push_back({[label](const QString& t) { label->setText(t); }, w});
    label->setText(text(w));
}

void Bilingual::add(QAbstractButton* button, Wording w) {
    entries_.push_back({[button](const QString& t) { button->setText(t); }, w});
    button->setText(text(w));
}

void Bilingual::add(QGroupBox* box, Wording w) {
    entries_.push_back({[box](const QString& t) { box->setTitle(t); }, w});
    box->setTitle(text(w));
}

void Bilingual::setChinese(bool chinese) {
    chinese_ = chinese;
    for (const Entry& e : entries_) {
        e.set(text(e.wording));
    }
}

QString Bilingual::text(Wording w) const {
    return QString::fromUtf8(chinese_ ? w.chinese : w.english);
}

}  // namespace ostrel::pages
