#include "sim/Faults.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace ordalis::sim {

namespace {
bool ParseShare(const std::string& text, double& out)
{
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || v < 0 || v > 1) return false;
    out = v;
    return true;
}
}  // namespace

bool ParseFaults(const std::string& list, FaultOptions& out, std::string& error)
{
    std::stringstream ss(list);
    std::string item;
    while (std::getline(ss, item, ',')) {
        if (item.empty()) continue;
        const size_t eq = item.find('=');
        const std::string key = item.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
        bool ok = true;
        if (key == "drop") {
            ok = ParseShare(value, out.Drop);
        } else if (key == "corrupt") {
            ok = ParseShare(value, out.Corrupt);
        } else if (key == "noise") {
            ok = ParseShare(value, out.Noise);
        } else if (key == "delay") {
            char* end = nullptr;
            out.DelayMs = std::strtod(value.c_str(), &end);
            ok = !value.empty() && *end == '\0' && out.DelayMs >= 0 && out.DelayMs <= 60000;
        } else if (key == "chunk") {
            ok = value.empty();
            out.Chunk = true;
        } else if (key == "unplug-after") {
            char* end = nullptr;
            out.UnplugAfter = std::strtol(value.c_str(), &end, 10);
            ok = !value.empty() && *end == '\0' && out.UnplugAfter >= 0;
        } else {
            error = "unknown fault '" + key + "'";
            return false;
        }
        if (!ok) {
            error = "bad value in fault '" + item + "'";
            return false;
        }
    }
    return true;
}

bool FaultInjector::Chance(double p) { return p > 0 && std::uniform_real_distribution<double>(0, 1)(rng_) < p; }

int FaultInjector::Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

AnswerPlan FaultInjector::Plan(std::vector<uint8_t> frame, int syncCount)
{
    AnswerPlan plan;
    plan.DelayMs = opt_.DelayMs;
    // Every decision is drawn for every answer, so one fault's share does not shift the
    // others' sequence.
    const bool drop = Chance(opt_.Drop);
    const bool corrupt = Chance(opt_.Corrupt);
    const bool noise = Chance(opt_.Noise);
    if (drop) {
        plan.Dropped = true;
        return plan;
    }
    if (corrupt && !frame.empty()) {
        // Any byte but the key and the length. A changed key or length re-frames the answer,
        // and one such frame in 256 passes the CRC-8, which no receiver can tell from a good
        // answer; the other bytes are always caught by the CRC or by the framing.
        const int keyAt = syncCount + 1, lengthAt = syncCount + 3;
        int at;
        do {
            at = Uniform(0, static_cast<int>(frame.size()) - 1);
        } while (at == keyAt || at == lengthAt);
        frame[static_cast<size_t>(at)] ^= static_cast<uint8_t>(Uniform(1, 255));
        plan.CorruptedAt = at;
    }
    if (noise) {
        // Noise never holds the answer start mark 0xE0, so it cannot forge a frame start.
        Piece p;
        const int n = Uniform(1, 8);
        for (int i = 0; i < n; ++i) {
            uint8_t b;
            do {
                b = static_cast<uint8_t>(Uniform(0, 255));
            } while (b == 0xE0);
            p.Bytes.push_back(b);
        }
        p.GapAfterMs = Uniform(1, 3);
        plan.Pieces.push_back(std::move(p));
    }
    if (opt_.Chunk && frame.size() > 1) {
        const int pieces = std::min<int>(Uniform(2, 4), static_cast<int>(frame.size()));
        std::vector<size_t> cuts;
        while (static_cast<int>(cuts.size()) < pieces - 1) {
            const size_t c = static_cast<size_t>(Uniform(1, static_cast<int>(frame.size()) - 1));
            if (std::find(cuts.begin(), cuts.end(), c) == cuts.end()) cuts.push_back(c);
        }
        std::sort(cuts.begin(), cuts.end());
        size_t from = 0;
        cuts.push_back(frame.size());
        for (size_t c : cuts) {
            Piece p;
            p.Bytes.assign(frame.begin() + static_cast<long>(from), frame.begin() + static_cast<long>(c));
            p.GapAfterMs = c == frame.size() ? 0 : std::uniform_real_distribution<double>(0.1, 1.5)(rng_);
            plan.Pieces.push_back(std::move(p));
            from = c;
        }
    } else {
        plan.Pieces.push_back({std::move(frame), 0});
    }
    return plan;
}

}  // namespace ordalis::sim
