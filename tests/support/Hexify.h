#pragma once
// Frames as hex text, "F0 F0 F0 C0": upper-case pairs separated by one blank.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ordalis::test {

inline std::string Hexify(const uint8_t* bytes, size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < count; ++i) {
        if (i) s += ' ';
        s += kDigits[bytes[i] >> 4];
        s += kDigits[bytes[i] & 0x0F];
    }
    return s;
}

inline std::string Hexify(const std::vector<uint8_t>& bytes) { return Hexify(bytes.data(), bytes.size()); }

// "F0 e0 5f" -> bytes; blanks are optional, anything else that is not a hex digit is skipped.
inline std::vector<uint8_t> Unhex(const std::string& text) {
    std::vector<uint8_t> out;
    int nibble = -1;
    for (char c : text) {
        int v = -1;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        if (v < 0) continue;
        if (nibble < 0) {
            nibble = v;
        } else {
            out.push_back(static_cast<uint8_t>(nibble << 4 | v));
            nibble = -1;
        }
    }
    return out;
}

}  // namespace ordalis::test
