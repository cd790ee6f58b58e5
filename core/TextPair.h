#pragma once
// A user-visible text in both languages, chosen by LanguageIndex (0 Chinese, 1 English).
#include <QString>
#include <cstdint>

namespace ordalis {

struct TextPair {
    const char* chinese;
    const char* english;

    QString Text(uint8_t languageIndex) const {
        return QString::fromUtf8(languageIndex == 1 ? english : chinese);
    }
};

}  // namespace ordalis
