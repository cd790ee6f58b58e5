#include "sim/Bus.h"

#include <algorithm>
#include <cstdio>

#include "link/Codec.h"
#include "sim/FrameText.h"

namespace ordalis::sim {

namespace {
std::string Fmt(const char* format, long long a, long long b = 0, long long c = 0)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, format, a, b, c);
    return buf;
}
}  // namespace

Bus::Bus(uint64_t seed, AnswerStyle style) : seed_(seed), style_(style), rng_(static_cast<uint32_t>(seed * 2654435761u))
{
    style_.SyncMin = std::max(1, style_.SyncMin);
    style_.SyncMax = std::max(style_.SyncMin, style_.SyncMax);
}

bool Bus::AddDrive(uint8_t address, const ModelProfile& model)
{
    if (address > 0x0F || Find(address)) return false;
    nodes_.push_back(std::make_unique<Node>(Drive(address, model, seed_)));
    return true;
}

Drive* Bus::Find(uint8_t address)
{
    for (auto& n : nodes_)
        if (n->drive.Address() == address) return &n->drive;
    return nullptr;
}

std::vector<Drive*> Bus::Drives()
{
    std::vector<Drive*> out;
    for (auto& n : nodes_) out.push_back(&n->drive);
    return out;
}

void Bus::Log(double nowMs, int32_t rate, const std::string& text)
{
    if (OnLog) OnLog(nowMs, rate, text);
}

std::vector<Outgoing> Bus::Receive(const uint8_t* bytes, size_t count, int32_t lineRate, double nowMs)
{
    std::vector<Outgoing> answers;
    if (count == 0) return answers;

    if (lineRate == kWakeRate && std::find(bytes, bytes + count, uint8_t{0}) != bytes + count) {
        for (auto& n : nodes_) {
            n->parser.Reset();
            if (n->drive.LineRate() != kAwakeRate)
                Log(nowMs, lineRate, Fmt("drive %lld woken: %lld -> 9600 baud", n->drive.Address(), n->drive.LineRate()));
            n->drive.SetLineRate(kAwakeRate);
        }
        Log(nowMs, lineRate, "wake-up byte");
        return answers;
    }

    for (auto& n : nodes_) {
        Node& node = *n;
        if (node.drive.LineRate() != lineRate) {
            // Framing errors: whatever the drive was assembling is lost.
            node.parser.Reset();
            Log(nowMs, lineRate,
                Fmt("%lld bytes garbage to drive %lld (at %lld baud)", static_cast<long long>(count),
                    node.drive.Address(), node.drive.LineRate()));
            continue;
        }
        if (nowMs - node.lastByteMs >= kFrameGapMs) node.parser.Reset();
        node.lastByteMs = nowMs;

        struct Frame {
            std::vector<uint8_t> bytes;
            bool crcOk;
        };
        std::vector<Frame> frames;
        node.parser.SetFrameHandler([&frames](uint8_t residue, const uint8_t* f, size_t len) {
            frames.push_back({std::vector<uint8_t>(f, f + len), residue == 0});
        });
        node.parser.Feed(bytes, count);
        node.parser.SetFrameHandler(nullptr);

        for (const Frame& f : frames) {
            if (f.bytes[1] != node.drive.Address()) continue;  // another drive's frame
            answers.push_back(Respond(node, f.bytes.data(), f.bytes.size(), f.crcOk, nowMs));
        }
    }
    return answers;
}

Outgoing Bus::Respond(Node& node, const uint8_t* f, size_t length, bool crcOk, double nowMs)
{
    Drive& d = node.drive;
    const uint8_t command = f[3];
    const uint8_t* data = f + 4;
    const size_t n = length - 5;

    Answer a;
    if (!crcOk) {
        Log(nowMs, d.LineRate(), Fmt("in  addr=%lld key=%02llX bad CRC", d.Address(), f[0]));
        a = Answer::Fail(Condition::Refused);
    } else {
        Log(nowMs, d.LineRate(),
            Fmt("in  addr=%lld key=%02llX ", d.Address(), f[0]) + DescribeRequest(command, data, n));
        a = d.Handle(command, data, n, nowMs);
    }

    Outgoing out;
    out.Address = d.Address();
    out.Rate = d.LineRate();
    out.Status = a.Status;
    out.Data = a.Data;
    if (out.Data.size() > 255) out.Data.resize(255);
    const bool scramble = style_.Keys == KeyMode::Scrambled ||
                          (style_.Keys == KeyMode::Mixed && std::uniform_int_distribution<int>(0, 1)(rng_) == 1);
    out.Key = scramble ? static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 254)(rng_)) : kPlainKey;
    const int sync = std::uniform_int_distribution<int>(style_.SyncMin, style_.SyncMax)(rng_);
    out.Bytes = EncodeAnswer(out.Address, out.Status, out.Data.data(), static_cast<uint8_t>(out.Data.size()),
                             out.Key, sync);
    if (a.NewLineRate != 0 && a.NewLineRate != d.LineRate()) {
        Log(nowMs, d.LineRate(),
            Fmt("drive %lld line rate %lld -> %lld after this answer", d.Address(), d.LineRate(), a.NewLineRate));
        d.SetLineRate(a.NewLineRate);
    }
    return out;
}

}  // namespace ordalis::sim
