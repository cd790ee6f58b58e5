#pragma once
// Sink for the communication log. The log window comes later; until then NullFrameLog.
#include <cstddef>
#include <cstdint>
#include <string>

namespace ordalis {

class FrameLog {
public:
    virtual ~FrameLog() = default;
    // bytes: the frame from the key through the CRC, plain. level: 0 Run, 1 Poll, 2 Lev2.
    virtual void LogFrame(const std::string& prefix, const std::string& label, const uint8_t* bytes,
                          size_t count, uint8_t level) = 0;
};

class NullFrameLog : public FrameLog {
public:
    void LogFrame(const std::string&, const std::string&, const uint8_t*, size_t, uint8_t) override {}
};

}  // namespace ordalis
