#pragma once
// Frame codec: CRC-8/MAXIM, request and answer frame layout, scrambling, log labels.
// Pure functions, no I/O: the link, the simulator and the tests share them.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "link/CommandRecord.h"

namespace ordalis {

constexpr uint8_t kPlainKey = 0x5F;       // key byte of an unscrambled frame
constexpr uint8_t kScrambleOffset = 0x5D;
constexpr uint8_t kSyncByte = 0xF0;
constexpr uint8_t kRequestMark = 0xC0;
constexpr uint8_t kAnswerMark = 0xE0;
constexpr size_t kMaxFrame = 9 + 255;

uint8_t Crc8Step(uint8_t crc, uint8_t byte);
uint8_t Crc8(const uint8_t* bytes, size_t count);

inline uint8_t ScrambleByte(uint8_t plain, uint8_t key) { return static_cast<uint8_t>((plain ^ key) + kScrambleOffset); }
inline uint8_t UnscrambleByte(uint8_t wire, uint8_t key) { return static_cast<uint8_t>((wire - kScrambleOffset) ^ key); }
// Scrambles (or restores) count bytes in place; a key of 0x5F leaves them alone.
void Scramble(uint8_t* bytes, size_t count, uint8_t key);
void Unscramble(uint8_t* bytes, size_t count, uint8_t key);

// Key byte a request with this command code carries before any draw: 0x44 and 0x60
// are always plain; the others take a random key.
bool CommandIsScrambled(uint8_t command);

// False when the record's data would not fit the frame's length byte (a write or trace
// record with more than 253 data bytes, since the id travels in the same count).
bool RequestFits(const CommandRecord& record);
// Builds the whole request frame (sync through CRC) for a record, scrambled with key
// when the command takes a random key. plainOut, when given, receives the frame from
// the key through the CRC before scrambling (what the log shows). A record that does not
// fit gives an empty frame (and an empty plainOut): a frame whose length byte lies is
// never built.
std::vector<uint8_t> EncodeRequest(const CommandRecord& record, uint8_t address, uint8_t key,
                                   std::vector<uint8_t>* plainOut = nullptr);
// Answer frame as a drive writes it: `syncCount` 0xF0 bytes, 0xE0, key, then scrambled
// address, length, status, data, CRC.
std::vector<uint8_t> EncodeAnswer(uint8_t address, uint8_t status, const uint8_t* data, uint8_t length,
                                  uint8_t key = kPlainKey, int syncCount = 1);

// Log labels.
extern const char* const ParamNames[270];
extern const char* const TraceNames[17];
std::string CommandLabel(const CommandRecord& record);
// "%.2d:%.2d:%.2d-%.4d " in the machine's local time.
std::string LogTimestamp(std::chrono::system_clock::time_point now);
std::string LogTimestamp();
// "5F 01 02 " style: two upper-case hex digits and a blank per byte.
std::string HexBytes(const uint8_t* bytes, size_t count);

// Source of scrambling keys 0..254, seeded once.
class KeySource {
public:
    explicit KeySource(uint32_t seed) : gen_(seed) {}
    uint8_t Next() { return static_cast<uint8_t>(dist_(gen_)); }
private:
    std::mt19937 gen_;
    std::uniform_int_distribution<int> dist_{0, 254};
};

}  // namespace ordalis
