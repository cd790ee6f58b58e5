#include "sim/FrameText.h"

#include <cstdio>

#include "link/Codec.h"
#include "sim/DriveParameters.h"

namespace ordalis::sim {

namespace {
std::string Trim(const char* s)
{
    std::string t(s);
    while (!t.empty() && t.front() == ' ') t.erase(t.begin());
    return t;
}

long long LittleEndian(const uint8_t* d, size_t n, bool isSigned)
{
    unsigned long long u = 0;
    for (size_t i = 0; i < n && i < 8; ++i) u |= static_cast<unsigned long long>(d[i]) << (8 * i);
    if (isSigned && n > 0 && n < 8 && (d[n - 1] & 0x80)) u |= ~0ull << (8 * n);
    return static_cast<long long>(u);
}

std::string Hex(const uint8_t* d, size_t n)
{
    std::string s = HexBytes(d, n);
    if (!s.empty()) s.pop_back();
    return s;
}
}  // namespace

std::string DescribeRequest(uint8_t command, const uint8_t* d, size_t n)
{
    char buf[160];
    const unsigned id = n >= 2 ? unsigned(d[0] | d[1] << 8) : 0;
    // The log names where the name table has one, else what the parameter means.
    std::string name = id < 270 ? Trim(ParamNames[id]) : "Not identified id";
    const DriveParam* p = FindDriveParameter(static_cast<uint16_t>(id));
    if (name == "Not identified id" && p) name = std::string("(") + p->Name + ")";
    switch (command) {
    case 0x0A:
        return "comm test data=" + Hex(d, n);
    case 0x43:
        std::snprintf(buf, sizeof buf, "read id=%u %s", id, name.c_str());
        return buf;
    case 0x44:
        std::snprintf(buf, sizeof buf, "write id=%u %s value=%lld", id, name.c_str(),
                      n > 2 ? LittleEndian(d + 2, n - 2, true) : 0LL);
        return buf;
    case 0x47:
    case 0x48:
        std::snprintf(buf, sizeof buf, "%s option=%u", command == 0x47 ? "eeprom" : "auto-tune", id);
        return buf;
    case 0x60: {
        const std::string item = id < 17 ? Trim(TraceNames[id]) : "Not identified id";
        if (n <= 2) {
            std::snprintf(buf, sizeof buf, "trace get id=%u %s", id, item.c_str());
        } else {
            std::snprintf(buf, sizeof buf, "trace set id=%u %s value=0x%llX", id, item.c_str(),
                          static_cast<unsigned long long>(LittleEndian(d + 2, n - 2, false)));
        }
        return buf;
    }
    default:
        std::snprintf(buf, sizeof buf, "command 0x%02X data=%s", command, Hex(d, n).c_str());
        return buf;
    }
}

std::string DescribeAnswer(uint8_t status, const uint8_t* d, size_t n)
{
    char buf[64];
    if (status == 1 && n > 0) {
        std::snprintf(buf, sizeof buf, "condition %u", d[0]);
        return buf;
    }
    std::string s = "ok";
    if (n == 0) return s;
    std::snprintf(buf, sizeof buf, " %zu bytes: ", n);
    s += buf;
    s += Hex(d, n > 32 ? 32 : n);
    if (n > 32) s += " ...";
    if (n == 2 || n == 4) {
        std::snprintf(buf, sizeof buf, " (=%lld)", LittleEndian(d, n, true));
        s += buf;
    }
    return s;
}

}  // namespace ordalis::sim
