#pragma once
// The stored link: chosen ports with baud rate and slave addresses, and the selection.
// 172 bytes, kept as a block in cfg.ini; multi-byte fields little-endian.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace ordalis {

// The drive the stored link points at.
struct LinkSelection {
    int entry;
    int index;
    uint8_t port;
    int32_t baud;
    uint8_t address;
};

struct LinkRecord {
    static constexpr size_t kSize = 172;
    static constexpr size_t kEntryOffset = 4;
    static constexpr size_t kEntrySize = 28;
    static constexpr int kMaxEntries = 5;
    static constexpr uint8_t kNone = 255;

    std::array<uint8_t, kSize> bytes{};

    LinkRecord() { bytes[0] = kNone; bytes[1] = kNone; }
    static LinkRecord Default() { return LinkRecord(); }

    uint8_t SelectedEntry() const { return bytes[0]; }
    uint8_t SelectedAddressIndex() const { return bytes[1]; }
    uint8_t EntryCount() const { return bytes[2]; }
    void SetSelectedEntry(uint8_t v) { bytes[0] = v; }
    void SetSelectedAddressIndex(uint8_t v) { bytes[1] = v; }
    void SetEntryCount(uint8_t v) { bytes[2] = v; }

    // Entry k (0..5): port number, baud rate, address count, addresses.
    uint8_t Port(int k) const { return bytes[E(k)]; }
    int32_t Baud(int k) const {
        const size_t o = E(k) + 4;
        return static_cast<int32_t>(uint32_t(bytes[o]) | uint32_t(bytes[o + 1]) << 8 |
                                    uint32_t(bytes[o + 2]) << 16 | uint32_t(bytes[o + 3]) << 24);
    }
    uint8_t AddressCount(int k) const { return bytes[E(k) + 8]; }
    uint8_t Address(int k, int i) const { return bytes[E(k) + 9 + i]; }
    void SetPort(int k, uint8_t port) { bytes[E(k)] = port; }
    void SetBaud(int k, int32_t baud) {
        const size_t o = E(k) + 4;
        const auto u = static_cast<uint32_t>(baud);
        for (int i = 0; i < 4; ++i) bytes[o + i] = static_cast<uint8_t>(u >> (8 * i));
    }
    void SetAddressCount(int k, uint8_t n) { bytes[E(k) + 8] = n; }
    void SetAddress(int k, int i, uint8_t a) { bytes[E(k) + 9 + i] = a; }

    // The selected entry's port and baud rate with the selected address, or nothing when
    // the record holds no selection that can be read (none chosen, or a damaged record
    // that would send us past the entry table or an entry's address list).
    std::optional<LinkSelection> Selection() const {
        const int entry = SelectedEntry();
        const int index = SelectedAddressIndex();
        if (entry > kMaxEntries || index >= 16) return std::nullopt;
        return LinkSelection{entry, index, Port(entry), Baud(entry), Address(entry, index)};
    }

    // 344 upper-case hex digits, high nibble first.
    std::string ToHex() const;
    // Exactly 172 bytes of valid hex (344 digits; a 345th is ignored) or false.
    bool FromHex(const std::string& hex);

private:
    static size_t E(int k) { return kEntryOffset + kEntrySize * static_cast<size_t>(k); }
};

}  // namespace ordalis
