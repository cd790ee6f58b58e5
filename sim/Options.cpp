#include "sim/Options.h"

#include <cerrno>
#include <cstdlib>

#include "sim/ModelProfiles.h"

namespace ordalis::sim {

const char* UsageText()
{
    return "usage: ordalis-drive-sim [options]\n"
           "  --link PATH             make PATH a symbolic link to the pseudo-terminal\n"
           "  --drive ADDR:MODEL      a drive on the bus (repeatable; default 1:LQ340)\n"
           "                          models: LQ220 LQ340 LQ560 TR340 TR560 TR900 HV120\n"
           "  --param ADDR:ID=VALUE   override a parameter at start (repeatable)\n"
           "  --refuse ADDR:ID        answer every read/write of ID with code 1 (repeatable)\n"
           "  --state FILE            EEPROM image kept across runs\n"
           "  --seed N                seed of every random choice (default 1)\n"
           "  --fault LIST            drop=P,corrupt=P,noise=P,delay=MS,chunk,unplug-after=N\n"
           "  --pace                  write answers at the byte rate of the line speed\n"
           "  --sync N | MIN-MAX      sync bytes before an answer (default 1-3)\n"
           "  --keys plain|scrambled|mixed   answer keys (default mixed)\n"
           "  --log FILE              one line per frame in and out\n"
           "  --stamps FILE           monotonic time (us) of each answer's last byte written and\n"
           "                          of the first request byte read after it\n";
}

bool ParseInteger(const std::string& text, int64_t& out)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0') return false;
    out = v;
    return true;
}

namespace {
bool ParseAddress(const std::string& text, uint8_t& out)
{
    int64_t v = 0;
    if (!ParseInteger(text, v) || v < 0 || v > 0x0F) return false;
    out = static_cast<uint8_t>(v);
    return true;
}
}  // namespace

bool ParseOptions(const std::vector<std::string>& args, SimOptions& o, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.Help = true;
        } else if (a == "--pace") {
            o.Pace = true;
        } else if (a == "--link") {
            if (!value(o.LinkPath)) return false;
        } else if (a == "--state") {
            if (!value(o.StateFile)) return false;
        } else if (a == "--log") {
            if (!value(o.LogFile)) return false;
        } else if (a == "--stamps") {
            if (!value(o.StampsFile)) return false;
        } else if (a == "--drive") {
            if (!value(v)) return false;
            const size_t colon = v.find(':');
            DriveChoice d;
            if (colon == std::string::npos || !ParseAddress(v.substr(0, colon), d.Address)) {
                error = "bad --drive '" + v + "' (ADDR:MODEL, address 0..15)";
                return false;
            }
            d.Model = v.substr(colon + 1);
            if (!FindModel(d.Model)) {
                error = "unknown model '" + d.Model + "'";
                return false;
            }
            for (const DriveChoice& e : o.Drives)
                if (e.Address == d.Address) {
                    error = "address " + std::to_string(d.Address) + " given twice";
                    return false;
                }
            o.Drives.push_back(d);
        } else if (a == "--param") {
            if (!value(v)) return false;
            const size_t colon = v.find(':'), eq = v.find('=');
            ParamOverride p;
            int64_t id = 0;
            if (colon == std::string::npos || eq == std::string::npos || eq < colon ||
                !ParseAddress(v.substr(0, colon), p.Address) || !ParseInteger(v.substr(colon + 1, eq - colon - 1), id) ||
                id < 0 || id > 0xFFFF) {
                error = "bad --param '" + v + "' (ADDR:ID=VALUE)";
                return false;
            }
            p.Id = static_cast<uint16_t>(id);
            p.Value = v.substr(eq + 1);
            o.Params.push_back(p);
        } else if (a == "--refuse") {
            if (!value(v)) return false;
            const size_t colon = v.find(':');
            Refusal r;
            int64_t id = 0;
            if (colon == std::string::npos || !ParseAddress(v.substr(0, colon), r.Address) ||
                !ParseInteger(v.substr(colon + 1), id) || id < 0 || id > 0xFFFF) {
                error = "bad --refuse '" + v + "' (ADDR:ID)";
                return false;
            }
            r.Id = static_cast<uint16_t>(id);
            o.Refusals.push_back(r);
        } else if (a == "--seed") {
            int64_t s = 0;
            if (!value(v) || !ParseInteger(v, s)) {
                error = "bad --seed";
                return false;
            }
            o.Seed = static_cast<uint64_t>(s);
        } else if (a == "--fault") {
            if (!value(v) || !ParseFaults(v, o.Faults, error)) return false;
        } else if (a == "--sync") {
            if (!value(v)) return false;
            const size_t dash = v.find('-');
            int64_t lo = 0, hi = 0;
            const bool ok = dash == std::string::npos
                                ? ParseInteger(v, lo) && (hi = lo, true)
                                : ParseInteger(v.substr(0, dash), lo) && ParseInteger(v.substr(dash + 1), hi);
            if (!ok || lo < 1 || hi < lo || hi > 16) {
                error = "bad --sync '" + v + "'";
                return false;
            }
            o.Style.SyncMin = static_cast<int>(lo);
            o.Style.SyncMax = static_cast<int>(hi);
        } else if (a == "--keys") {
            if (!value(v)) return false;
            if (v == "plain") o.Style.Keys = KeyMode::Plain;
            else if (v == "scrambled") o.Style.Keys = KeyMode::Scrambled;
            else if (v == "mixed") o.Style.Keys = KeyMode::Mixed;
            else {
                error = "bad --keys '" + v + "'";
                return false;
            }
        } else {
            error = "unknown option '" + a + "'";
            return false;
        }
    }
    if (o.Drives.empty()) o.Drives.push_back({1, "LQ340"});
    for (const ParamOverride& p : o.Params) {
        bool found = false;
        for (const DriveChoice& d : o.Drives) found = found || d.Address == p.Address;
        if (!found) {
            error = "--param for address " + std::to_string(p.Address) + ", which has no drive";
            return false;
        }
    }
    for (const Refusal& r : o.Refusals) {
        bool found = false;
        for (const DriveChoice& d : o.Drives) found = found || d.Address == r.Address;
        if (!found) {
            error = "--refuse for address " + std::to_string(r.Address) + ", which has no drive";
            return false;
        }
    }
    return true;
}

}  // namespace ordalis::sim
