// The display language of the process and the choice between a text's two
// wordings. Every operator-visible text exists in English and in Chinese; the
// pair is chosen at the moment of use, so a switch reaches the next text shown.
#pragma once

#include <atomic>

namespace corvane {

enum LanguageCode : int { kChinese = 0, kEnglish = 1 };

// 1 = English texts (the start-up value), 0 = Chinese texts.
inline std::atomic<int> Language{kEnglish};

// Picks the text of the current display language.
inline const char* tr(const char* english, const char* chinese) {
    return Language.load() == kChinese ? chinese : english;
}

}  // namespace corvane
