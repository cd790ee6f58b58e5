#pragma once
// Byte-at-a-time frame assembler. Frames of both directions share one shape after the
// start mark: key, address, length N, status (answer) or command (request), N data
// bytes, CRC. The host parses answers (mark 0xE0); the simulator parses requests (0xC0).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace ordalis {

class ReceiveParser {
public:
    // residue: running CRC after the CRC byte (0 = intact). frame: key, address, length,
    // status/command, data, CRC, all but the key unscrambled; length = N + 5. The frame is
    // a copy that stays intact for the whole call, even when the handler feeds more bytes
    // (a modal dialog pumping receive events); copy what must outlive the call.
    using FrameHandler = std::function<void(uint8_t residue, const uint8_t* frame, size_t length)>;

    explicit ReceiveParser(uint8_t startMark = 0xE0) : startMark_(startMark) {}
    void SetFrameHandler(FrameHandler handler) { handler_ = std::move(handler); }

    // Re-entrant: bytes fed from inside the handler are queued behind the rest of the
    // chunk being parsed, so arrival order is kept.
    void Feed(const uint8_t* bytes, size_t count);
    // Line silent for 20 ms: drop a half-received frame (sync count unchanged).
    void Reset() { state_ = 0; }

    uint16_t State() const { return state_; }
    uint8_t SyncCount() const { return syncCount_; }

private:
    void Step(uint8_t b);

    uint8_t startMark_;
    FrameHandler handler_;
    uint16_t state_ = 0;
    uint8_t syncCount_ = 0;
    uint16_t dataCount_ = 0;
    uint8_t crc_ = 0;
    uint8_t buffer_[5 + 255] = {};
    std::vector<uint8_t> input_;  // bytes waiting to be parsed
    size_t inputPos_ = 0;
    int depth_ = 0;
};

}  // namespace ordalis
