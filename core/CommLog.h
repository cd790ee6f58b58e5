#pragma once
// The communication log's text side: every frame the link logs becomes one line when its
// queue's flag is set, collected in LogBuffer and handed to the memo in batches — when
// the buffer passes 1000 characters, or when Timer2 finds the line quiet for 200 ms. The
// memo itself is a widget; it is reached through OnAppend/OnClearMemo, and its length is
// counted here so the size bounds need no widget.
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "link/FrameLog.h"
#include "link/LinkTimer.h"

namespace ordalis {

class CommLog : public FrameLog {
public:
    static constexpr int kTimer2Ms = 200;
    static constexpr qsizetype kBurstChars = 1000;
    static constexpr qsizetype kBurstMemoLimit = 500000;  // memo cleared at this size after a burst
    static constexpr qsizetype kQuietMemoLimit = 50000;   // ... and at this size after Timer2

    explicit CommLog(std::unique_ptr<LinkTimer> timer2);

    // level: 0 RunQueue, 1 PollQueue, 2 Lev2Queue.
    void LogFrame(const std::string& prefix, const std::string& label, const uint8_t* bytes, size_t count,
                  uint8_t level) override;
    void Timer2Timer();
    LinkTimer& Timer2() { return *timer2_; }

    bool Flag(uint8_t level) const { return level < flags_.size() && flags_[level]; }
    void SetFlags(bool run, bool poll, bool lev2) { flags_ = {run, poll, lev2}; }

    // Button1: memo and buffer emptied.
    void Clear();
    // The window closes: Timer2 stops and nothing is logged; the buffer keeps its text.
    void Close();

    const QString& Buffer() const { return logBuffer_; }
    qsizetype MemoLength() const { return memoLength_; }

    // The memo: text appended, text removed.
    std::function<void(const QString&)> OnAppend;
    std::function<void()> OnClearMemo;

    // One line of the log, CR LF included. Separator by level: ":", ": ", ":  ".
    static QString Line(const std::string& prefix, const std::string& label, const uint8_t* bytes, size_t count,
                        uint8_t level);

private:
    void MoveToMemo(qsizetype memoLimit);

    std::unique_ptr<LinkTimer> timer2_;
    std::array<bool, 3> flags_{};
    QString logBuffer_;
    qsizetype memoLength_ = 0;
};

}  // namespace ordalis
