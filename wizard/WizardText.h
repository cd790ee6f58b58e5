#pragma once
// The text of a pair in the session's language, and the port-open error texts.
#include "core/Texts.h"
