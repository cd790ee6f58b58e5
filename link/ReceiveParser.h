#pragma once
// Byte-at-a-time frame assembler. Frames of both directions share one shape after the
// start mark: key, address, length N, status (answer) or command (request), N data
// bytes, CRC. The host parses answers (mark 0xE0); the simulator parses requests (0xC0).
#include <cstddef>
#include <cstdint>
#include <functional>

namespace ordalis {

class ReceiveParser {
public:
    // residue: running CRC after the CRC byte (0 = intact). frame: key, address, length,
    // status/command, data, CRC, all but the key unscrambled; length = N + 5. The buffer
    // is the parser's own and valid only during the call: copy what must outlive it.
    using FrameHandler = std::function<void(uint8_t residue, const uint8_t* frame, size_t length)>;

    explicit ReceiveParser(uint8_t startMark = 0xE0) : startMark_(startMark) {}
    void SetFrameHandler(FrameHandler handler) { handler_ = std::move(handler); }

    void Feed(const uint8_t* bytes, size_t count);
    // Line silent for 20 ms: drop a half-received frame (sync count unchanged).
    void Reset() { state_ = 0; }

    uint16_t State() const { return state_; }
    uint8_t SyncCount() const { return syncCount_; }

private:
    uint8_t startMark_;
    FrameHandler handler_;
    uint16_t state_ = 0;
    uint8_t syncCount_ = 0;
    uint16_t dataCount_ = 0;
    uint8_t crc_ = 0;
    uint8_t buffer_[5 + 255] = {};
};

}  // namespace ordalis
