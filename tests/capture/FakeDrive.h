#pragma once
// A DriveAccess that records what the capture asks of the RunQueue (lists queued, run
// delays, run-next offsets, 131 reports) instead of sending anything. Tests call the
// completion procedures themselves with the recorder's answers.
#include <QString>
#include <string>
#include <vector>

#include "core/DriveAccess.h"
#include "core/UiPrompt.h"
#include "model/CommandLists.h"

namespace ordalis::test {

class NullUiPrompt : public UiPrompt {
public:
    int ExecModal(QDialog&) override { return 0; }
    void ShowText(const QString&) override {}
};

class FakeDriveAccess : public DriveAccess {
public:
    ParameterMirror mirror;
    TraceBlock trace;
    DriveCallbacks callbacks;
    CommandLists lists{mirror, trace, callbacks};
    NullUiPrompt nullPrompt;
    UiPrompt* prompt = &nullPrompt;  // a window test puts a recording prompt here
    uint8_t language = 0;
    bool canSend = true;

    // "run TraceStartList", "delay 100", "next 0", "lost", "write 70=1200"
    std::vector<std::string> log;

    const ParameterMirror& Mirror() const override { return mirror; }
    const CommandLists& Lists() const override { return lists; }
    uint8_t Language() const override { return language; }
    UiPrompt& Prompt() override { return *prompt; }
    DialogSlots& Dialogs() override { return callbacks; }
    ScopeSlots& Scope() override { return callbacks; }
    FileSlots& Files() override { return callbacks; }
    WriteOutcome WriteParameter(uint16_t id, int64_t value, ValueRange range) override {
        if (value < range.min || value > range.max) return WriteOutcome::OutOfRange;
        log.push_back("write " + std::to_string(id) + "=" + std::to_string(value));
        return WriteOutcome::Queued;
    }
    bool SendList(QueueLevel level, const CommandList& list) override {
        if (!canSend) return false;
        log.push_back(std::string(level == RunQueue ? "run " : "queue ") + Name(list));
        return true;
    }
    PollRegistration RegisterPoll(PollKind, std::function<void()>) override { return {}; }
    TraceBlock& Trace() override { return trace; }
    void SetRunDelay(uint16_t ms) override { log.push_back("delay " + std::to_string(ms)); }
    void SetRunNext(uint8_t offset) override { log.push_back("next " + std::to_string(offset)); }
    bool StoreAndSend(std::initializer_list<StoredValue>, const CommandList& list) override {
        return SendList(Lev2Queue, list);
    }
    void SetGeneratorRunning(bool) override {}
    bool GeneratorRunning() const override { return false; }
    void ReportNoAnswer() override { log.push_back("lost"); }
    uint8_t Address() const override { return 1; }

    std::string Name(const CommandList& l) const {
        if (l.Records == lists.TraceSetupList.Records) return "TraceSetupList";
        if (l.Records == lists.TraceTimeList.Records) return "TraceTimeList";
        if (l.Records == lists.TraceStartList.Records) return "TraceStartList";
        for (int ch = 0; ch < TraceChannels; ++ch)
            if (l.Records == lists.TraceVariableList(ch).Records) return "TraceVariableList" + std::to_string(ch);
        return "list" + std::to_string(l.Count);
    }
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(log);
        return out;
    }
};

}  // namespace ordalis::test
