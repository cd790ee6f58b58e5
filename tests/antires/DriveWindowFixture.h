#pragma once
// A drive window over the real session and link on an in-memory port with fake timers.
// ScriptedDrive keeps parameters and records each request as "D154=20000" or "C127"; a
// test answers the request on the wire when it wants, with the status it wants, so a
// write can be kept in flight while the window is used.
#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DriveSession.h"
#include "core/Session.h"
#include "link/Codec.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/uisupport/RecordingUiPrompt.h"

namespace ordalis::test {

class ScriptedDrive {
public:
    explicit ScriptedDrive(FakePort& port) : port_(port) {
        port_.onWrite = [this](const std::vector<uint8_t>& frame) { Heard(frame); };
    }
    std::map<uint16_t, int64_t> params;
    std::vector<std::string> requests;  // every request heard, in order

    bool Waiting() const { return waiting_; }
    // Answers the request on the wire: 0 with the data of a read, else the condition code.
    void Answer(uint8_t code = 0) {
        ASSERT_TRUE(waiting_) << "no request on the wire";
        waiting_ = false;
        if (code != 0) {
            port_.Inject(EncodeAnswer(address_, 1, &code, 1));
            return;
        }
        std::vector<uint8_t> data;
        if (command_ == CmdRead) {
            const ParamInfo* p = FindParameter(id_);
            const int64_t v = params[id_];
            for (int i = 0; i < (p ? p->Width : 2); ++i) data.push_back(static_cast<uint8_t>(v >> (8 * i)));
        } else if (command_ == CmdWrite) {
            params[id_] = value_;
        }
        port_.Inject(EncodeAnswer(address_, 0, data.data(), static_cast<uint8_t>(data.size())));
    }

private:
    void Heard(std::vector<uint8_t> f) {
        if (f.size() < 11) return;
        Unscramble(f.data() + 5, f.size() - 5, f[4]);
        address_ = f[5];
        command_ = f[7];
        id_ = static_cast<uint16_t>(f[8] | f[9] << 8);
        std::string text = std::string(1, static_cast<char>(command_)) + std::to_string(id_);
        if (command_ == CmdWrite) {
            const size_t n = f[6] >= 2 ? f[6] - 2u : 0u;
            int64_t v = 0;
            for (size_t i = 0; i < n && 10 + i < f.size(); ++i) v |= int64_t{f[10 + i]} << (8 * i);
            if (n == 2) v = static_cast<int16_t>(v);
            if (n == 4) v = static_cast<int32_t>(v);
            value_ = v;
            text += "=" + std::to_string(v);
        }
        requests.push_back(text);
        waiting_ = true;
    }
    FakePort& port_;
    bool waiting_ = false;
    uint8_t address_ = 1;
    uint8_t command_ = 0;
    uint16_t id_ = 0;
    int64_t value_ = 0;
};

class DriveWindowTest : public ::testing::Test {
protected:
    FakeTimerFactory timers;
    FakePort port{true};
    ScriptedDrive scripted{port};
    RecordingUiPrompt prompt;
    Session session{port, timers, prompt, 1u};
    DriveSession drive{session, timers, prompt};
    QWidget owner;
    int linkLost = 0;

    DriveWindowTest() {
        QObject::connect(&drive, &DriveSession::LinkLost, [this] { ++linkLost; });
    }

    // Requests heard since the last call.
    std::vector<std::string> Sent() {
        std::vector<std::string> out(scripted.requests.begin() + static_cast<long>(seen_), scripted.requests.end());
        seen_ = scripted.requests.size();
        return out;
    }
    // Answers the request on the wire and lets deferred work run.
    void Answer(uint8_t code = 0) {
        scripted.Answer(code);
        QApplication::processEvents();
    }
    void AnswerAll() {
        for (int guard = 0; scripted.Waiting() && guard < 100; ++guard) Answer();
    }
    // No answer: the time-outs and re-sends run out (status 131).
    void Silence() {
        for (int i = 0; i < 10 && !session.link.IsLinkLost(); ++i) timers.Advance(1000);
        QApplication::processEvents();
    }

    template <typename T>
    T* Find(QWidget* w, const char* name) const {
        return w->findChild<T*>(QString::fromLatin1(name));
    }

private:
    size_t seen_ = 0;
};

using Sends = std::vector<std::string>;

}  // namespace ordalis::test
