#include "sim/Server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "link/Codec.h"
#include "sim/FrameText.h"
#include "sim/StateFile.h"

namespace ordalis::sim {

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const int saved = errno;
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &c, 1);
    errno = saved;
}

bool InstallSignals()
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

// Milliseconds one byte takes on the wire: start bit, eight data bits, stop bit.
double ByteMs(int32_t rate) { return rate > 0 ? 10000.0 / rate : 0; }

constexpr size_t kMaxQueuedBytes = 1 << 16;  // nobody reads: keep the newest answers only

}  // namespace

Server::Server(SimOptions options)
    : opt_(std::move(options)), bus_(opt_.Seed, opt_.Style), faults_(opt_.Faults, opt_.Seed),
      start_(std::chrono::steady_clock::now())
{
}

Server::~Server()
{
    line_.Close();
    if (log_) std::fclose(log_);
    if (stamps_) std::fclose(stamps_);
}

double Server::NowMs() const { return MsOf(Clock::now()); }

double Server::MsOf(Clock::time_point t) const { return std::chrono::duration<double, std::milli>(t - start_).count(); }

void Server::Stamp(const char* what, Clock::time_point t)
{
    if (!stamps_) return;
    // Microseconds on the monotonic clock, which other processes on this machine share.
    std::fprintf(stamps_, "%s %.3f\n", what,
                 std::chrono::duration<double, std::micro>(t.time_since_epoch()).count());
}

void Server::Log(double nowMs, int32_t rate, const std::string& text)
{
    if (!log_) return;
    std::fprintf(log_, "%10.3f %6d %s\n", nowMs / 1000.0, rate, text.c_str());
}

bool Server::ApplyOverrides(std::string& error)
{
    for (const ParamOverride& p : opt_.Params) {
        Drive* d = bus_.Find(p.Address);
        const ParameterSet::Entry* e = d ? d->Working().Find(p.Id) : nullptr;
        if (!e) {
            error = "--param " + std::to_string(p.Address) + ":" + std::to_string(p.Id) + ": no such parameter";
            return false;
        }
        int64_t v = 0;
        const bool ok = e->Kind == ValueKind::Text ? d->Working().SetText(p.Id, p.Value)
                                                   : ParseInteger(p.Value, v) && d->Working().Set(p.Id, v);
        if (!ok) {
            error = "--param " + std::to_string(p.Address) + ":" + std::to_string(p.Id) + ": bad value '" +
                    p.Value + "'";
            return false;
        }
        if (p.Id == param::BaudRate) d->SetLineRate(static_cast<int32_t>(v));
    }
    return true;
}

bool Server::Start(std::string& error)
{
    for (const DriveChoice& s : opt_.Drives) bus_.AddDrive(s.Address, *FindModel(s.Model));
    for (const Refusal& r : opt_.Refusals) bus_.Find(r.Address)->Refuse(r.Id);
    if (!opt_.StateFile.empty()) {
        if (!LoadState(opt_.StateFile, bus_.Drives(), error)) return false;
        for (Drive* d : bus_.Drives()) {
            d->OnEepromWrite = [this](Drive&) {
                std::string e;
                if (!SaveState(opt_.StateFile, bus_.Drives(), e)) std::fprintf(stderr, "%s\n", e.c_str());
            };
        }
    }
    if (!ApplyOverrides(error)) return false;
    if (!opt_.LogFile.empty()) {
        log_ = std::fopen(opt_.LogFile.c_str(), "w");
        if (!log_) {
            error = "cannot write " + opt_.LogFile + ": " + std::strerror(errno);
            return false;
        }
        std::setvbuf(log_, nullptr, _IOLBF, 0);
        bus_.OnLog = [this](double now, int32_t rate, const std::string& text) { Log(now, rate, text); };
    }
    if (!opt_.StampsFile.empty()) {
        stamps_ = std::fopen(opt_.StampsFile.c_str(), "w");
        if (!stamps_) {
            error = "cannot write " + opt_.StampsFile + ": " + std::strerror(errno);
            return false;
        }
        // Written at exit: no file write between an answer and the next request.
        std::setvbuf(stamps_, nullptr, _IOFBF, 1 << 22);
    }
    if (!InstallSignals()) {
        error = "cannot install the signal handlers";
        return false;
    }
    if (!line_.Open(opt_.LinkPath, error)) return false;

    std::printf("pty %s\n", line_.SlavePath().c_str());
    if (!line_.LinkPath().empty()) std::printf("link %s\n", line_.LinkPath().c_str());
    for (Drive* d : bus_.Drives())
        std::printf("drive %d %s %d baud\n", d->Address(), d->Model().Name, d->LineRate());
    std::printf("ready\n");
    std::fflush(stdout);
    return true;
}

void Server::ReadLine(Clock::time_point woke)
{
    const double nowMs = MsOf(woke);
    uint8_t buf[4096];
    for (;;) {
        const int32_t before = line_.LineRate();
        const ssize_t n = ::read(line_.MasterFd(), buf, sizeof buf);
        if (n <= 0) return;
        if (requestAwaited_) {
            Stamp("request-start", woke);
            requestAwaited_ = false;
        }
        const int32_t after = line_.LineRate();
        if (before != after) {
            // The speed changed while these bytes were on their way: no UART would have
            // read them cleanly at either speed.
            Log(nowMs, after, std::to_string(n) + " bytes during a speed change (" + std::to_string(before) +
                                  " -> " + std::to_string(after) + "): garbage");
            bus_.Receive(buf, static_cast<size_t>(n), 0, nowMs);
            continue;
        }
        for (const Outgoing& a : bus_.Receive(buf, static_cast<size_t>(n), after, nowMs)) Queue(a, nowMs);
    }
}

void Server::Queue(const Outgoing& a, double nowMs)
{
    int sync = 0;
    while (sync < static_cast<int>(a.Bytes.size()) && a.Bytes[static_cast<size_t>(sync)] == 0xF0) ++sync;
    AnswerPlan plan = faults_.Plan(a.Bytes, sync);
    std::string text = "out addr=" + std::to_string(a.Address) + " key=" + HexBytes(&a.Key, 1) +
                       DescribeAnswer(a.Status, a.Data.data(), a.Data.size());
    if (plan.Dropped) {
        Log(nowMs, a.Rate, text + " [dropped]");
        return;
    }
    if (plan.CorruptedAt >= 0) text += " [byte " + std::to_string(plan.CorruptedAt) + " flipped]";
    if (plan.DelayMs > 0) text += " [delay " + std::to_string(static_cast<int>(plan.DelayMs)) + " ms]";
    if (plan.Pieces.size() > 1) text += " [" + std::to_string(plan.Pieces.size()) + " pieces]";
    Log(nowMs, a.Rate, text);

    size_t queued = 0;
    for (const Item& i : out_) queued += i.Bytes.size() - i.Written;
    if (queued > kMaxQueuedBytes) {
        Log(nowMs, a.Rate, "nobody reads the line: queued answers discarded");
        out_.clear();
    }
    double gap = 0;
    for (size_t k = 0; k < plan.Pieces.size(); ++k) {
        Item item;
        item.Bytes = std::move(plan.Pieces[k].Bytes);
        item.Rate = a.Rate;
        item.NotBeforeMs = nowMs + plan.DelayMs;
        item.GapBeforeMs = gap;
        item.FrameEnd = k + 1 == plan.Pieces.size();
        item.Address = a.Address;
        gap = plan.Pieces[k].GapAfterMs;
        out_.push_back(std::move(item));
    }
}

double Server::WriteDue(double nowMs)
{
    while (!out_.empty() && line_.IsOpen()) {
        Item& it = out_.front();
        if (!it.Started) {
            const double startAt = std::max(it.NotBeforeMs, lineFreeMs_ + it.GapBeforeMs);
            if (nowMs < startAt) return startAt;
            it.Started = true;
            it.StartMs = opt_.Pace ? std::max(startAt, lineFreeMs_) : nowMs;
            const int32_t hostRate = line_.LineRate();
            if (hostRate != it.Rate) {
                // The program listens at another speed: its UART reads framing errors.
                Log(nowMs, hostRate, std::to_string(it.Bytes.size()) + " bytes at " + std::to_string(it.Rate) +
                                         " baud reach a line at " + std::to_string(hostRate) + ": garbage");
                std::fill(it.Bytes.begin(), it.Bytes.end(), uint8_t{0});
            }
        }
        size_t allowed = it.Bytes.size();
        if (opt_.Pace) {
            // A byte is there once its stop bit has gone out.
            const double bytesOnWire = std::floor((nowMs - it.StartMs) / ByteMs(it.Rate));
            allowed = static_cast<size_t>(std::clamp(bytesOnWire, 0.0, double(it.Bytes.size())));
        }
        if (allowed > it.Written) {
            // Taken before the write: the program may read the last byte before write() returns.
            const Clock::time_point writing = Clock::now();
            const ssize_t n = ::write(line_.MasterFd(), it.Bytes.data() + it.Written, allowed - it.Written);
            if (n < 0) {
                // The terminal's buffer is full: nobody reads the line. A UART sends anyway
                // and the bytes are lost, so the rest of this piece is dropped.
                Log(nowMs, it.Rate, std::string("write failed: ") + std::strerror(errno) + ": bytes lost");
                it.Written = it.Bytes.size();
            } else {
                it.Written += static_cast<size_t>(n);
                if (it.FrameEnd && it.Written == it.Bytes.size()) {
                    Stamp("answer-end", writing);
                    requestAwaited_ = true;
                }
            }
        }
        if (it.Written < it.Bytes.size()) {
            if (!opt_.Pace) continue;  // a short write: try the rest at once
            // Wake for the next few bytes; not more often than every half millisecond.
            const double next = it.StartMs + (double(it.Written) + 1) * ByteMs(it.Rate);
            return std::max(next, nowMs + 0.5);
        }
        lineFreeMs_ = opt_.Pace ? it.StartMs + double(it.Bytes.size()) * ByteMs(it.Rate) : nowMs;
        if (it.FrameEnd) {
            ++answersWritten_;
            if (faults_.Options().UnplugAfter >= 0 && answersWritten_ >= faults_.Options().UnplugAfter &&
                unplugAtMs_ < 0) {
                // Let the last answer reach the program before the line goes away.
                unplugAtMs_ = nowMs + 20;
            }
        }
        out_.pop_front();
    }
    return -1;
}

int Server::Run()
{
    if (faults_.Options().UnplugAfter == 0) unplugAtMs_ = NowMs();
    for (;;) {
        double now = NowMs();
        if (unplugAtMs_ >= 0 && now >= unplugAtMs_) {
            Log(now, line_.LineRate(), "unplugged after " + std::to_string(answersWritten_) + " answers");
            line_.Close();
            std::printf("unplugged\n");
            std::fflush(stdout);
            return 0;
        }
        double wake = WriteDue(now);
        if (unplugAtMs_ >= 0 && (wake < 0 || unplugAtMs_ < wake)) wake = unplugAtMs_;

        pollfd fds[2] = {{line_.MasterFd(), POLLIN, 0}, {g_signalPipe[0], POLLIN, 0}};
        timespec ts {};
        timespec* timeout = nullptr;
        if (wake >= 0) {
            const double ms = std::max(0.0, wake - now);
            ts.tv_sec = static_cast<time_t>(ms / 1000);
            ts.tv_nsec = static_cast<long>((ms - double(ts.tv_sec) * 1000) * 1e6);
            timeout = &ts;
        }
        const int r = ::ppoll(fds, 2, timeout, nullptr);
        if (r < 0 && errno != EINTR) {
            std::fprintf(stderr, "poll failed: %s\n", std::strerror(errno));
            return 1;
        }
        if (fds[1].revents & POLLIN) {
            Log(NowMs(), line_.LineRate(), "stopped by a signal");
            line_.Close();
            return 0;
        }
        if (fds[0].revents & POLLIN) ReadLine(Clock::now());
    }
}

}  // namespace ordalis::sim
