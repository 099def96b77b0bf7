// The language broadcaster.
#include "platform/screens/language_events.h"

#include "platform/language.h"

namespace corvane::screens {

LanguageEvents& LanguageEvents::instance() {
    static LanguageEvents* events = new LanguageEvents;  // lives as long as the process
    return *events;
}

void LanguageEvents::setLanguage(int language) {
    Language = language == kChinese ? kChinese : kEnglish;
    emit languageChanged(Language.load());
}

int LanguageEvents::language() const {
    return Language.load();
}

}  // namespace corvane::screens
