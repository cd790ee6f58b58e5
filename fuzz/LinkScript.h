#pragma once
// A scripted run of the drive link over the fake port and timers, read from fuzz input.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

namespace ordalis::fuzz {

struct Outcome {
    // Frames written, callbacks with their data, and the queue states after each step.
    std::vector<std::string> trace;
};

// splitChunks: every received chunk is delivered in random pieces instead of whole.
// freeNesting: callbacks may also feed bytes, fire timers and hold the link.
// Aborts on a broken invariant.
Outcome RunScript(FuzzedDataProvider& in, bool splitChunks, bool freeNesting);

}  // namespace ordalis::fuzz
