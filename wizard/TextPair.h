#pragma once
// Chooses the Chinese or English text of a pair by the session's language.
#include <QString>

#include "app/Session.h"

namespace ordalis {

// Any language index other than 1 shows Chinese, so a stray value in cfg.ini cannot
// pick a text that does not exist.
inline QString TextPair(const Session& session, const char* chinese, const char* english) {
    return QString::fromUtf8(session.settings.LanguageIndex == 1 ? english : chinese);
}

}  // namespace ordalis
