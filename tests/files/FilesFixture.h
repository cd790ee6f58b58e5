#pragma once
// A connected LQ340 over the real link on an in-memory port: a scripted drive answers
// every request on the next pump (never inside the write), keeps the values written, can
// refuse writes of chosen ids and answer the EEPROM save with a condition code.
#include <QCoreApplication>
#include <QStringList>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "core/DriveSession.h"
#include "core/EepromSave.h"
#include "core/Session.h"
#include "core/UiPrompt.h"
#include "core/WriteBack.h"
#include "link/Codec.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"

namespace ordalis::test {

class TextPrompt : public UiPrompt {
public:
    QStringList messages;
    void ShowText(const QString& text) override { messages << text; }
    int ExecModal(QDialog&) override { return 0; }
};

class ScriptedDrive {
public:
    std::map<uint16_t, uint32_t> values;  // what reads answer
    std::map<uint16_t, int> refuseWrites;  // id: how many writes of it are answered "send again"
    std::string model = "LQ340";
    uint8_t eepromCode = 0;               // condition code for the EEPROM save, 0: done
    int eepromWrites = 0;
    std::vector<std::string> heard;       // "D97=2", "C37", "G1"
    bool silent = false;                  // answers nothing

    explicit ScriptedDrive(FakePort& port) : port_(port) {
        port_.onWrite = [this](const std::vector<uint8_t>& f) { Heard(f); };
    }
    // Delivers what was answered since the last call; false when there was nothing.
    bool Deliver() {
        auto pending = std::move(pending_);
        pending_.clear();
        for (auto& a : pending) port_.Inject(a);
        return !pending.empty();
    }
    std::vector<std::string> Writes() const {
        std::vector<std::string> w;
        for (const auto& h : heard)
            if (h[0] == 'D') w.push_back(h);
        return w;
    }

private:
    void Heard(std::vector<uint8_t> f) {
        if (f.size() < 9 || silent) return;
        Unscramble(f.data() + 5, f.size() - 5, f[4]);
        address_ = f[5];
        const uint8_t cmd = f[7];
        const uint16_t id = f.size() >= 11 ? uint16_t(f[8] | f[9] << 8) : 0;
        if (cmd == CmdWrite) {
            uint32_t v = 0;
            for (size_t i = 10; i + 1 < f.size(); ++i) v |= uint32_t(f[i]) << (8 * (i - 10));
            heard.push_back("D" + std::to_string(id) + "=" + std::to_string(v));
            if (auto it = refuseWrites.find(id); it != refuseWrites.end() && it->second > 0) {
                --it->second;
                return Answer(1, {1});
            }
            values[id] = v;
            return Answer(0, {});
        }
        if (cmd == CmdRead) {
            heard.push_back("C" + std::to_string(id));
            if (id == pid::ModelName) return Answer(0, std::vector<uint8_t>(model.begin(), model.end()));
            const uint32_t v = values[id];
            return Answer(0, {uint8_t(v), uint8_t(v >> 8)});
        }
        if (cmd == CmdEeprom) {
            heard.push_back("G" + std::to_string(id));
            if (eepromCode) return Answer(1, {eepromCode});
            ++eepromWrites;
            return Answer(0, {});
        }
        Answer(0, {});
    }
    void Answer(uint8_t status, const std::vector<uint8_t>& data) {
        pending_.push_back(EncodeAnswer(address_, status, data.data(), uint8_t(data.size())));
    }
    FakePort& port_;
    uint8_t address_ = 0;
    std::vector<std::vector<uint8_t>> pending_;
};

class FilesTest : public ::testing::Test {
protected:
    FakePort port{true};
    FakeTimerFactory timers;
    TextPrompt prompt;
    Session session{port, timers, prompt, 3};
    DriveSession drive{session, timers, prompt};
    ScriptedDrive bus{port};
    WriteBack files{drive, 11};
    EepromSave eeprom{drive};
    int linkLost = 0;

    FilesTest() { QObject::connect(&drive, &DriveSession::LinkLost, [this] { ++linkLost; }); }

    // Answers until the line is quiet: deferred steps run, the read-back's and write-back's
    // 100 ms pause passes, the answer time-outs fire when nothing answers.
    void Pump(int maxSteps = 2000) {
        for (int i = 0; i < maxSteps; ++i) {
            QCoreApplication::processEvents();
            if (bus.Deliver()) continue;
            if (session.link.RunDelayPending()) {
                timers.Advance(DriveSession::kReadBackPauseMs);
                continue;
            }
            if (session.link.AwaitingAnswer()) {
                timers.Advance(session.link.Queue(session.link.InFlightQueue()).answerTimeout);
                continue;
            }
            QCoreApplication::processEvents();
            return;
        }
    }

    // Identified and read back (the LQ/TR family polls from then on).
    void Connect(const std::string& model = "LQ340", uint16_t modelCode = 340) {
        bus.model = model;
        bus.values[pid::ModelCode] = modelCode;
        session.mirror.SetModelName(model);
        drive.IdentifyDone(Answered);
        Pump();
        ASSERT_EQ(drive.CurrentPhase(), DriveSession::Phase::Connected);
        ASSERT_EQ(drive.IsPolling(), model != "HV120");
        bus.heard.clear();
    }
};

}  // namespace ordalis::test
