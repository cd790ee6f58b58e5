// The drive link's answer path against scripted input: the input is a script of list
// loads, answers (good, damaged, split), noise, time passing, timers firing, stops,
// resets, holds and port loss, with callbacks that act again while they run (a modal
// dialog opened from a callback). Besides what the sanitizers see, it checks:
// - read answers never write past a target's room (guard bytes behind every target);
// - every frame written is one whole, intact request;
// - callbacks get only the statuses of CompletionStatus or a drive condition code;
// - queue counters stay in their table; nothing is sent while the link is lost;
// - afterwards, once every wait and time-out has run out and the link is reset, a read
//   goes out and its good answer is taken;
// - the script run twice, once with every received chunk delivered whole and once split
//   into random pieces, gives the same frames, callbacks and queue states.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

#include "fuzz/LinkScript.h"

using namespace ordalis;
using namespace ordalis::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks whether callbacks may feed bytes and hold the link while they
    // run; then the split run cannot match the whole one (bytes of a chunk already in the
    // parser come before what the callback feeds), so only the single run is checked.
    const bool freeNesting = data[0] & 1;
    FuzzedDataProvider whole(data + 1, size - 1);
    const Outcome a = RunScript(whole, false, freeNesting);
    if (freeNesting) return 0;
    FuzzedDataProvider split(data + 1, size - 1);
    const Outcome b = RunScript(split, true, freeNesting);
    if (a.trace != b.trace) {
        const size_t n = std::min(a.trace.size(), b.trace.size());
        size_t i = 0;
        while (i < n && a.trace[i] == b.trace[i]) ++i;
        std::fprintf(stderr, "link fuzz: split chunks differ at event %zu\n  whole: %s\n  split: %s\n", i,
                     i < a.trace.size() ? a.trace[i].c_str() : "(end)", i < b.trace.size() ? b.trace[i].c_str() : "(end)");
        std::abort();
    }
    return 0;
}
