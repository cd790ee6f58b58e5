#pragma once
// A DriveLink over a FakePort with fake timers, plus helpers to build records, answer
// the command on the wire and describe the frames sent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/DriveLink.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/support/RecordingPrompt.h"

namespace ordalis::test {

// "C37" for a read of 37, "D53" for a write, "G"/"H"/"`8"/"A" (comm test) for the rest.
inline std::string DescribeRequest(std::vector<uint8_t> f) {
    Unscramble(f.data() + 5, f.size() - 5, f[4]);
    const uint8_t cmd = f[7];
    if (cmd == CmdCommTest) return "A";
    std::string s(1, static_cast<char>(cmd));
    if (cmd == CmdRead || cmd == CmdWrite || cmd == CmdTrace) s += std::to_string(f[8] | f[9] << 8);
    return s;
}

class LinkTest : public ::testing::Test {
protected:
    LinkTest() { link.SlaveAddress = 1; }

    // Records "name:status" for every callback.
    CompletionCallback Log(const std::string& name) {
        return [this, name](uint16_t status, const uint8_t*, uint8_t) {
            calls.push_back(name + ":" + std::to_string(status));
        };
    }
    CommandRecord Read(uint16_t id, uint8_t* data = nullptr, uint16_t capacity = 0) {
        return {CmdRead, id, 2, data, capacity, Log("C" + std::to_string(id))};
    }
    CommandRecord Write(uint16_t id) {
        static uint8_t value[2] = {0x34, 0x12};
        return {CmdWrite, id, 2, value, 2, Log("D" + std::to_string(id))};
    }

    void Answer(uint8_t status = 0, std::vector<uint8_t> data = {0x90, 0x01}, uint8_t key = kPlainKey) {
        port.Inject(EncodeAnswer(1, status, data.data(), static_cast<uint8_t>(data.size()), key));
    }
    void BadAnswer() {
        auto f = EncodeAnswer(1, 0, nullptr, 0);
        f.back() ^= 0x01;
        port.Inject(f);
    }
    bool Timeout() { return AsFake(link.AnswerTimer()).Fire(); }

    std::vector<std::string> Sent() const {
        std::vector<std::string> out;
        for (const auto& f : port.written) out.push_back(DescribeRequest(f));
        return out;
    }
    std::string LastSent() const { return port.written.empty() ? "" : DescribeRequest(port.written.back()); }

    FakePort port;
    FakeTimerFactory timers;
    RecordingPrompt prompt;
    DriveLink link{port, timers, prompt, 1};
    std::vector<std::string> calls;
};

using Strings = std::vector<std::string>;

}  // namespace ordalis::test
