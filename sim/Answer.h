#pragma once
// What a simulated drive answers to one request, and the condition codes it reports.
#include <cstdint>
#include <vector>

namespace ordalis::sim {

// Condition codes of an answer with status byte 1 (first data byte).
namespace Condition {
constexpr uint8_t Refused = 1;        // corrupted request: the host sends it again
constexpr uint8_t BadCommand = 2;     // unknown command code or sub-operation
constexpr uint8_t UnknownId = 3;      // no such parameter or trace item
constexpr uint8_t ReadOnly = 4;
constexpr uint8_t BadLength = 5;
constexpr uint8_t BadValue = 6;
constexpr uint8_t DisabledOrFault = 10;
constexpr uint8_t Busy = 11;          // auto-tune already running
constexpr uint8_t NotReady = 12;      // samples asked for before a recording is complete
}  // namespace Condition

struct Answer {
    uint8_t Status = 0;         // 0 done, 1 condition (code in Data[0])
    std::vector<uint8_t> Data;
    int32_t NewLineRate = 0;    // non-zero: the line rate to use after this answer is sent

    static Answer Done(std::vector<uint8_t> data = {}) { return {0, std::move(data), 0}; }
    static Answer Fail(uint8_t code) { return {1, {code}, 0}; }
};

}  // namespace ordalis::sim
