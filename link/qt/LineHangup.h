#pragma once
// Whether the device behind an open serial-port handle has gone (hung up, error, or no
// longer valid), asked without waiting. Platform code lives in its own file.
#include <QtGlobal>

namespace ordalis {

bool LineHungUp(qintptr handle);

}  // namespace ordalis
