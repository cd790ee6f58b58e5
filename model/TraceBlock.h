#pragma once
// Host copy of the drive's trace-recorder settings; command-0x60 records point into it.
#include <cstdint>

namespace ordalis {

struct TraceBlock {
    // ... laid out by the data-model work.
};

}  // namespace ordalis
