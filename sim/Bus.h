#pragma once
// The drives on one line, seen through their UARTs: each drive assembles requests from
// the bytes that reach it at its own line rate; bytes at any other rate are garbage to it.
// A zero byte at 110 baud wakes every drive to 9600. Each good request addressed to a
// drive gets one answer frame; other addresses stay silent.
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "link/ReceiveParser.h"
#include "sim/Drive.h"

namespace ordalis::sim {

enum class KeyMode { Plain, Scrambled, Mixed };

struct AnswerStyle {
    int SyncMin = 1;
    int SyncMax = 3;
    KeyMode Keys = KeyMode::Mixed;
};

// An answer ready for the line.
struct Outgoing {
    uint8_t Address = 0;
    int32_t Rate = 0;            // the drive's line rate when it answered
    std::vector<uint8_t> Bytes;  // the whole frame as written
    uint8_t Key = 0x5F;
    uint8_t Status = 0;
    std::vector<uint8_t> Data;
};

class Bus {
public:
    static constexpr int32_t kWakeRate = 110;
    static constexpr int32_t kAwakeRate = 9600;
    static constexpr double kFrameGapMs = 20;  // a drive drops a half frame after this silence

    explicit Bus(uint64_t seed, AnswerStyle style = {});

    // False when the address is taken or out of range (0x00..0x0F).
    bool AddDrive(uint8_t address, const ModelProfile& model);
    Drive* Find(uint8_t address);
    std::vector<Drive*> Drives();

    // Bytes that arrived while the line ran at lineRate (bit/s).
    std::vector<Outgoing> Receive(const uint8_t* bytes, size_t count, int32_t lineRate, double nowMs);

    // One line per event: frames in and out, wake-ups, rate changes, garbage.
    std::function<void(double nowMs, int32_t lineRate, const std::string& text)> OnLog;

private:
    struct Node {
        explicit Node(Drive d) : drive(std::move(d)) {}
        Drive drive;
        ReceiveParser parser{0xC0};
        double lastByteMs = -1e9;
    };
    void Log(double nowMs, int32_t rate, const std::string& text);
    Outgoing Respond(Node& node, const uint8_t* frame, size_t length, bool crcOk, double nowMs);

    uint64_t seed_;
    AnswerStyle style_;
    std::mt19937 rng_;
    std::vector<std::unique_ptr<Node>> nodes_;
};

}  // namespace ordalis::sim
