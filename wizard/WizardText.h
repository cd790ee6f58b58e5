#pragma once
// The text of a pair in the session's language.
#include <QString>

#include "app/Session.h"
#include "app/TextPair.h"

namespace ordalis {

inline QString Text(const Session& session, const TextPair& pair) {
    return pair.Text(session.settings.LanguageIndex);
}

}  // namespace ordalis
