#include "core/LinkRecord.h"

namespace ordalis {

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
}  // namespace

std::string LinkRecord::ToHex() const {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(2 * kSize);
    for (uint8_t b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

bool LinkRecord::FromHex(const std::string& hex) {
    // An odd trailing digit carries no whole byte and is dropped, as the block reader
    // of the settings file always did; any other length is not a link record.
    if (hex.size() != 2 * kSize && hex.size() != 2 * kSize + 1) return false;
    std::array<uint8_t, kSize> decoded{};
    for (size_t i = 0; i < kSize; ++i) {
        const int hi = HexValue(hex[2 * i]);
        const int lo = HexValue(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        decoded[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    bytes = decoded;
    return true;
}

}  // namespace ordalis
