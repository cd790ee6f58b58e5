#include "link/ReceiveParser.h"

#include <cstring>

#include "link/Codec.h"

namespace ordalis {

namespace {
enum State : uint16_t { Hunting = 0, Key, Address, Length, Status, Data, Crc };
}

void ReceiveParser::Feed(const uint8_t* bytes, size_t count) {
    // All bytes go through one queue: a call made from inside the handler first parses
    // the rest of the outer chunk, then its own bytes, and the outer loop finds nothing left.
    input_.insert(input_.end(), bytes, bytes + count);
    ++depth_;
    while (inputPos_ < input_.size()) Step(input_[inputPos_++]);
    if (--depth_ == 0) {
        input_.clear();
        inputPos_ = 0;
    }
}

void ReceiveParser::Step(uint8_t b) {
    const uint8_t key = buffer_[0];
    const auto plain = [&]() { return key == kPlainKey ? b : UnscrambleByte(b, key); };
    switch (state_) {
    case Hunting:
        if (b == kSyncByte) {
            // Saturates: a count wrapped to 0 by a long run would skip the mark behind it.
            if (syncCount_ < 0xFF) ++syncCount_;
        } else if (b == startMark_ && syncCount_ > 0) {
            syncCount_ = 0;
            state_ = Key;
        } else {
            syncCount_ = 0;
        }
        break;
    case Key:
        buffer_[0] = b;
        state_ = Address;
        break;
    case Address:
        buffer_[1] = plain();
        crc_ = Crc8Step(0, buffer_[1]);
        state_ = Length;
        break;
    case Length:
        dataCount_ = 0;
        buffer_[2] = plain();
        crc_ = Crc8Step(crc_, buffer_[2]);
        state_ = Status;
        break;
    case Status:
        dataCount_ = 0;
        buffer_[3] = plain();
        crc_ = Crc8Step(crc_, buffer_[3]);
        state_ = buffer_[2] == 0 ? Crc : Data;
        break;
    case Data:
        buffer_[4 + dataCount_] = plain();
        crc_ = Crc8Step(crc_, buffer_[4 + dataCount_]);
        ++dataCount_;
        if (dataCount_ >= buffer_[2]) state_ = Crc;
        break;
    case Crc: {
        const uint8_t c = plain();
        crc_ = Crc8Step(crc_, c);
        buffer_[4 + dataCount_] = c;
        const size_t length = size_t{dataCount_} + 5;
        // The handler gets its own copy and the parser is already hunting again, so bytes
        // fed from inside the handler start a new frame without touching this one.
        uint8_t frame[5 + 255];
        std::memcpy(frame, buffer_, length);
        state_ = Hunting;
        if (handler_) handler_(crc_, frame, length);
        break;
    }
    default:
        state_ = Hunting;
        break;
    }
}

}  // namespace ordalis
