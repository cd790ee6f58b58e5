#include "core/CommLog.h"

#include "link/Codec.h"

namespace ordalis {

CommLog::CommLog(std::unique_ptr<LinkTimer> timer2) : timer2_(std::move(timer2)) {
    timer2_->OnTimeout = [this] { Timer2Timer(); };
}

QString CommLog::Line(const std::string& prefix, const std::string& label, const uint8_t* bytes, size_t count,
                      uint8_t level) {
    static const char* const kSeparators[3] = {":", ": ", ":  "};
    const char* separator = kSeparators[level < 3 ? level : 0];
    return QString::fromStdString(prefix + label + separator + HexBytes(bytes, count)) + QStringLiteral("\r\n");
}

void CommLog::LogFrame(const std::string& prefix, const std::string& label, const uint8_t* bytes, size_t count,
                       uint8_t level) {
    if (Flag(level)) logBuffer_ += Line(prefix, label, bytes, count, level);
    // Every frame restarts the quiet period, logged or not.
    timer2_->Stop();
    timer2_->Start(kTimer2Ms);
    // A burst reaches the memo while it lasts, not only after it.
    if (logBuffer_.size() > kBurstChars) MoveToMemo(kBurstMemoLimit);
}

void CommLog::Timer2Timer() {
    timer2_->Stop();
    MoveToMemo(kQuietMemoLimit);
}

void CommLog::MoveToMemo(qsizetype memoLimit) {
    if (!logBuffer_.isEmpty()) {
        if (OnAppend) OnAppend(logBuffer_);
        memoLength_ += logBuffer_.size();
        logBuffer_.clear();
    }
    if (memoLength_ >= memoLimit) {
        if (OnClearMemo) OnClearMemo();
        memoLength_ = 0;
    }
}

void CommLog::Clear() {
    logBuffer_.clear();
    if (OnClearMemo) OnClearMemo();
    memoLength_ = 0;
}

void CommLog::Close() {
    timer2_->Stop();
    flags_ = {};
}

}  // namespace ordalis
