#include "fuzz/LinkScript.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

#include "link/DriveLink.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/support/Hexify.h"

namespace ordalis::fuzz {

namespace {

using test::AsFake;
using test::FakePort;
using test::FakeTimerFactory;
using test::Hexify;

constexpr uint8_t kGuardByte = 0xA5;
constexpr size_t kGuard = 16;
constexpr int kMaxSteps = 300;
constexpr int kMaxDepth = 2;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "link fuzz: %s\n", what.c_str());
    std::abort();
}

class SilentPrompt : public Prompt {
public:
    void ShowMessage(const std::string&) override {}
};

// Touches every byte the link logs, so a log handed a short buffer is caught.
class TouchingLog : public FrameLog {
public:
    void LogFrame(const std::string&, const std::string&, const uint8_t* bytes, size_t count, uint8_t) override {
        for (size_t i = 0; i < count; ++i) sum += bytes[i];
    }
    unsigned sum = 0;
};

// Where a record's data comes from and its answer goes: `room` bytes the link may write,
// then guard bytes up to the data length sent (a write record may send more than a read
// may store) and kGuard more.
struct Target {
    std::vector<uint8_t> memory;
    size_t room = 0;
};

enum Op : int {
    LoadRun, LoadPoll, AddPoll, LoadLev2, GoodAnswer, Noise, Advance, FireAnswerTimer, FireParserReset,
    StopRun, Reset, SetRun, WaitThenAct,
    // Only at the top level, or in callbacks when nesting is free:
    HoldOrRelease, ArriveUndelivered, PortCloseOrOpen, LastOp = PortCloseOrOpen
};

class Script {
public:
    Script(FuzzedDataProvider& in, bool split, bool freeNesting)
        : in_(in), split_(split), freeNesting_(freeNesting), chunkGen_(in.ConsumeIntegral<uint32_t>()) {
        link_.SlaveAddress = 1;
        link_.SetFrameLog(&log_);
        port_.onWrite = [this](const std::vector<uint8_t>& f) { Written(f); };
    }

    Outcome Run() {
        for (int step = 0; step < kMaxSteps && in_.remaining_bytes() > 0; ++step) {
            const bool lostBefore = link_.IsLinkLost();
            const size_t writesBefore = port_.written.size();
            const int resetsBefore = resets_;
            Act(0);
            CheckState();
            if (lostBefore && link_.IsLinkLost() && resets_ == resetsBefore && port_.written.size() != writesBefore)
                Fail("a frame went out while the link was lost");
            out_.trace.push_back(StateText());
        }
        CheckGuards();
        CheckRecovers();
        return std::move(out_);
    }

private:
    void Act(int depth) {
        const int last = (depth == 0 || freeNesting_) ? LastOp : WaitThenAct;
        const int op = in_.ConsumeIntegralInRange<int>(0, last);
        switch (op) {
        case LoadRun: {
            const auto list = Records();
            link_.SendRunList(list.data(), static_cast<int>(list.size()));
            break;
        }
        case LoadPoll: {
            const auto list = Records();
            link_.SendPollList(list.data(), static_cast<int>(list.size()));
            break;
        }
        case AddPoll: {
            const auto list = Records();
            link_.AddPollList(list.data(), static_cast<int>(list.size()));
            break;
        }
        case LoadLev2: {
            const auto list = Records();
            link_.SendLev2List(list.data(), static_cast<int>(list.size()));
            break;
        }
        case GoodAnswer:
            if (depth == 0 || freeNesting_) Receive(AnswerBytes());
            break;
        case Noise:
            if (depth == 0 || freeNesting_) Receive(in_.ConsumeBytes<uint8_t>(in_.ConsumeIntegralInRange<size_t>(1, 80)));
            break;
        case Advance:
            if (depth > 0 && !freeNesting_) break;
            SilenceWhenCompared();
            timers_.Advance(in_.ConsumeIntegralInRange<int>(0, 700));
            break;
        case FireAnswerTimer:
            if (depth > 0 && !freeNesting_) break;
            SilenceWhenCompared();
            AsFake(link_.AnswerTimer()).Fire();
            break;
        case FireParserReset:
            if (depth == 0 || freeNesting_) AsFake(link_.ParserResetTimer()).Fire();
            break;
        case StopRun:
            link_.StopRunQueue();
            break;
        case Reset:
            ++resets_;
            link_.ResetLink();
            break;
        case SetRun:
            switch (in_.ConsumeIntegralInRange<int>(0, 3)) {
            case 0: link_.SetRunDelay(in_.ConsumeIntegralInRange<uint16_t>(0, 60)); break;
            case 1: link_.SetRunTimeout(in_.ConsumeIntegral<uint8_t>()); break;
            case 2: link_.SetRunRetries(in_.ConsumeIntegralInRange<uint8_t>(0, 5)); break;
            default: link_.SetRunNext(in_.ConsumeIntegral<uint8_t>()); break;
            }
            break;
        case WaitThenAct:
            link_.WaitMs(in_.ConsumeIntegralInRange<int>(0, 300), [this] { Nested(); });
            break;
        case HoldOrRelease:
            if (link_.IsHeld()) link_.Release(in_.ConsumeBool());
            else link_.Hold();
            break;
        case ArriveUndelivered:
            port_.Arrive(in_.ConsumeBool() ? AnswerBytes() : in_.ConsumeBytes<uint8_t>(in_.ConsumeIntegralInRange<size_t>(1, 40)));
            break;
        case PortCloseOrOpen:
            if (port_.IsOpen()) port_.Close();
            else port_.Open();
            break;
        default:
            break;
        }
    }

    // A time-out gives a frame under way one more frame gap when its bytes came after the
    // request went out. Split, the bytes of a chunk behind an answer come after the request
    // its callback sent; whole, before it: another history, not just other pieces. So in
    // the runs that are compared the line falls silent before time passes.
    void SilenceWhenCompared() {
        if (!freeNesting_) AsFake(link_.ParserResetTimer()).Fire();
    }

    // An answer as a drive sends it, sometimes with noise before it or one byte damaged.
    std::vector<uint8_t> AnswerBytes() {
        const uint8_t status = in_.ConsumeBool() ? 0 : in_.ConsumeIntegral<uint8_t>();
        const uint8_t length = in_.ConsumeBool() ? in_.ConsumeIntegralInRange<uint8_t>(0, 4) : in_.ConsumeIntegral<uint8_t>();
        std::vector<uint8_t> data = in_.ConsumeBytes<uint8_t>(length);
        data.resize(length);
        const uint8_t key = in_.ConsumeBool() ? kPlainKey : in_.ConsumeIntegral<uint8_t>();
        auto bytes = EncodeAnswer(1, status, data.data(), length, key, in_.ConsumeIntegralInRange<int>(1, 3));
        switch (in_.ConsumeIntegralInRange<int>(0, 3)) {
        case 1: bytes[in_.ConsumeIntegralInRange<size_t>(0, bytes.size() - 1)] ^= in_.ConsumeIntegralInRange<uint8_t>(1, 255); break;
        case 2: {
            const auto noise = in_.ConsumeBytes<uint8_t>(in_.ConsumeIntegralInRange<size_t>(1, 8));
            bytes.insert(bytes.begin(), noise.begin(), noise.end());
            break;
        }
        case 3: bytes.resize(in_.ConsumeIntegralInRange<size_t>(1, bytes.size())); break;  // cut off
        default: break;
        }
        return bytes;
    }

    // Delivered whole, or in random pieces back to back (no time passes between them).
    void Receive(const std::vector<uint8_t>& bytes) {
        if (bytes.empty()) return;
        if (!split_) {
            port_.Inject(bytes);
            return;
        }
        size_t pos = 0;
        while (pos < bytes.size()) {
            const size_t n = std::min<size_t>(bytes.size() - pos, 1 + chunkGen_() % 7);
            port_.Inject(std::vector<uint8_t>(bytes.begin() + pos, bytes.begin() + pos + n));
            pos += n;
        }
    }

    // Another step from inside a callback or a wait, a few levels deep at most.
    void Nested() {
        if (recovering_ || depth_ >= kMaxDepth || !in_.ConsumeBool()) return;
        ++depth_;
        Act(depth_);
        --depth_;
    }

    std::vector<CommandRecord> Records() {
        static constexpr uint8_t kCommands[] = {CmdCommTest, CmdRead, CmdWrite, CmdEeprom, CmdStudy, CmdTrace};
        int n = in_.ConsumeIntegralInRange<int>(0, 5);
        if (n == 5) n = in_.ConsumeIntegralInRange<int>(0, TAB_MAX_CMD_NUM + 2);
        std::vector<CommandRecord> list;
        for (int i = 0; i < n; ++i) {
            CommandRecord r;
            const uint8_t pick = in_.ConsumeIntegralInRange<uint8_t>(0, sizeof kCommands);
            r.Command = pick < sizeof kCommands ? kCommands[pick] : in_.ConsumeIntegral<uint8_t>();
            r.ParamId = in_.ConsumeIntegralInRange<uint16_t>(0, 300);
            r.DataLen = in_.ConsumeBool() ? in_.ConsumeIntegralInRange<uint8_t>(0, 4) : in_.ConsumeIntegral<uint8_t>();
            r.Capacity = in_.ConsumeBool() ? 0 : in_.ConsumeIntegralInRange<uint16_t>(0, 300);
            r.TextTarget = in_.ConsumeBool();
            if (in_.ConsumeIntegralInRange<int>(0, 7) != 0) r.Data = NewTarget(r);
            const size_t id = callbackCount_++;
            r.Callback = [this, id](uint16_t status, const uint8_t* data, uint8_t length) {
                Called(id, status, data, length);
            };
            list.push_back(std::move(r));
        }
        return list;
    }

    uint8_t* NewTarget(const CommandRecord& r) {
        auto t = std::make_unique<Target>();
        t->room = r.Capacity ? r.Capacity : r.DataLen;
        t->memory.assign(std::max<size_t>(t->room, r.DataLen) + kGuard, kGuardByte);
        std::fill_n(t->memory.begin(), t->room, uint8_t{0});
        targets_.push_back(std::move(t));
        return targets_.back()->memory.data();
    }

    void Called(size_t id, uint16_t status, const uint8_t* data, uint8_t length) {
        const bool known = status == Answered || (status >= 2 && status <= 255) || status == Sent;
        if (!known) Fail("callback status " + std::to_string(status));
        if (length > 0 && !data) Fail("callback data missing");
        std::string text = "cb" + std::to_string(id) + ":" + std::to_string(status);
        if (length > 0) text += " " + Hexify(data, length);
        out_.trace.push_back(text);
        // A callback that opens a modal box lets more events run before it returns.
        Nested();
    }

    void Written(const std::vector<uint8_t>& frame) {
        ReceiveParser parser(kRequestMark);
        int frames = 0;
        parser.SetFrameHandler([&](uint8_t residue, const uint8_t*, size_t n) {
            ++frames;
            if (residue != 0) Fail("request with a bad CRC");
            if (n + 4 != frame.size()) Fail("request longer than its length byte");
        });
        parser.Feed(frame.data(), frame.size());
        if (frames != 1) Fail("a write that is not exactly one request");
        out_.trace.push_back("tx " + Hexify(frame));
    }

    void CheckState() {
        for (uint8_t level : {RunQueue, PollQueue, Lev2Queue}) {
            const QueueState& q = link_.Queue(level);
            if (q.count > TAB_MAX_CMD_NUM || q.index > q.count) Fail("queue counters outside the table");
        }
    }

    // Once at the end: a byte written past a target stays there.
    void CheckGuards() {
        for (const auto& t : targets_)
            if (std::any_of(t->memory.begin() + static_cast<std::ptrdiff_t>(t->room), t->memory.end(),
                            [](uint8_t b) { return b != kGuardByte; }))
                Fail("an answer was written past its target");
    }

    // Whatever came before, once time has run out every wait and time-out and the link is
    // reset, a read goes out and its good answer is taken.
    void CheckRecovers() {
        recovering_ = true;  // callbacks and waits act no more
        timers_.Advance(2000);
        link_.ResetLink();
        if (link_.IsHeld()) link_.Release(true);
        if (!port_.IsOpen()) port_.Open();
        uint8_t value[2] = {};
        int answered = 0;
        const CommandRecord read{CmdRead, 5, 2, value, 2, [&](uint16_t status, const uint8_t*, uint8_t) {
                                     answered += status == Answered ? 1 : 100;
                                 }};
        const size_t writes = port_.written.size();
        link_.SendLev2List(&read, 1);
        if (port_.written.size() != writes + 1) Fail("a read after the reset was not sent");
        const uint8_t answer[2] = {0x34, 0x12};
        port_.Inject(EncodeAnswer(1, 0, answer, 2));
        if (answered != 1 || value[0] != 0x34 || value[1] != 0x12) Fail("a good answer after the reset was not taken");
    }

    std::string StateText() const {
        std::string s = "state";
        s += link_.AwaitingAnswer() ? " await" : " idle";
        s += " q" + std::to_string(link_.InFlightQueue());
        if (link_.IsLinkLost()) s += " lost";
        if (link_.RunDelayPending()) s += " delay";
        for (uint8_t level : {RunQueue, PollQueue, Lev2Queue}) {
            const QueueState& q = link_.Queue(level);
            s += " " + std::to_string(q.busy) + "/" + std::to_string(q.index) + "/" + std::to_string(q.count);
        }
        return s;
    }

    FuzzedDataProvider& in_;
    const bool split_;
    const bool freeNesting_;
    std::mt19937 chunkGen_;
    FakePort port_;
    FakeTimerFactory timers_;
    SilentPrompt prompt_;
    TouchingLog log_;
    DriveLink link_{port_, timers_, prompt_, 7};
    std::vector<std::unique_ptr<Target>> targets_;
    size_t callbackCount_ = 0;
    int resets_ = 0;
    int depth_ = 0;
    bool recovering_ = false;
    Outcome out_;
};

}  // namespace

Outcome RunScript(FuzzedDataProvider& in, bool splitChunks, bool freeNesting) {
    Script script(in, splitChunks, freeNesting);
    return script.Run();
}

}  // namespace ordalis::fuzz
