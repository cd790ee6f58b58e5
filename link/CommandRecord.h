#pragma once
// One drive command as the queues carry it. Records are plain values: queues copy
// them, nobody owns Data.
#include <cstdint>
#include <functional>

namespace ordalis {

// Status handed to a record's callback.
enum CompletionStatus : uint16_t {
    Answered = 0,    // good answer; read data already copied to Data
    Retrying = 129,  // Poll/Lev2 only: error answer, the record is sent again
    NoAnswer = 131,  // no answer after the last time-out retry; the queue stopped
    Failed = 132,    // error retries used up; the record is skipped
    Sent = 4096,     // RunQueue only: record just written from the answer path
};
// 2..255: condition code reported by the drive.

using CompletionCallback = std::function<void(uint16_t status, const uint8_t* data, uint8_t length)>;

// Command codes the program issues.
enum CommandCode : uint8_t {
    CmdCommTest = 0x0A,
    CmdRead = 0x43,     // 'C'
    CmdWrite = 0x44,    // 'D'
    CmdEeprom = 0x47,   // 'G'
    CmdStudy = 0x48,    // 'H' automatic current-loop tuning
    CmdTrace = 0x60,    // oscilloscope trace recorder
};

struct CommandRecord {
    uint8_t Command = 0;
    uint16_t ParamId = 0;
    uint8_t DataLen = 0;        // bytes sent (0x0A/0x44/0x47/0x48/0x60); for 0x43 the field's size
    uint8_t* Data = nullptr;    // where request data comes from and read answers go
    uint16_t Capacity = 0;      // bytes the Data target can hold; read answers are cut to it
    CompletionCallback Callback;
    // The target is text: when a read answer copied bytes, the rest of the target is
    // zeroed, so a shorter name sent without a NUL does not show an older name's tail.
    bool TextTarget = false;
};

// A list handed to a queue: first record and count.
struct CommandList {
    const CommandRecord* Records = nullptr;
    int Count = 0;
};

constexpr int TAB_MAX_CMD_NUM = 100;

}  // namespace ordalis
