#pragma once
// Request frames and answer parsing for the simulator's tests, on the project's codec.
#include <cstdint>
#include <optional>
#include <vector>

#include "link/Codec.h"
#include "link/ReceiveParser.h"

namespace ordalis::simtest {

struct ParsedAnswer {
    uint8_t Key = 0;
    uint8_t Address = 0;
    uint8_t Status = 0;
    std::vector<uint8_t> Data;
    bool CrcOk = false;
    int SyncCount = 0;
};

inline std::vector<uint8_t> Request(uint8_t command, uint16_t id, std::vector<uint8_t> data, uint8_t address,
                                    uint8_t key = kPlainKey)
{
    CommandRecord r;
    r.Command = command;
    r.ParamId = id;
    r.DataLen = static_cast<uint8_t>(data.size());
    r.Data = data.data();
    return EncodeRequest(r, address, key);
}

inline std::vector<uint8_t> Read(uint16_t id, uint8_t address = 1, uint8_t key = 0x3C)
{
    return Request(CmdRead, id, {}, address, key);
}

inline std::vector<uint8_t> Le(int64_t v, size_t n)
{
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i));
    return out;
}

inline int64_t FromLe(const std::vector<uint8_t>& d, bool isSigned = true)
{
    uint64_t u = 0;
    for (size_t i = 0; i < d.size() && i < 8; ++i) u |= uint64_t{d[i]} << (8 * i);
    if (isSigned && !d.empty() && d.size() < 8 && (d.back() & 0x80)) u |= ~uint64_t{0} << (8 * d.size());
    return static_cast<int64_t>(u);
}

// Every answer frame in a byte stream.
inline std::vector<ParsedAnswer> ParseAnswers(const std::vector<uint8_t>& bytes)
{
    std::vector<ParsedAnswer> out;
    ReceiveParser parser(kAnswerMark);
    int sync = 0, lastSync = 0;
    parser.SetFrameHandler([&](uint8_t residue, const uint8_t* f, size_t len) {
        ParsedAnswer a;
        a.Key = f[0];
        a.Address = f[1];
        a.Status = f[3];
        a.Data.assign(f + 4, f + len - 1);
        a.CrcOk = residue == 0;
        a.SyncCount = lastSync;
        out.push_back(a);
    });
    for (uint8_t b : bytes) {
        if (parser.State() == 0) {
            if (b == kSyncByte) ++sync;
            else if (b == kAnswerMark) lastSync = sync, sync = 0;
            else sync = 0;
        }
        parser.Feed(&b, 1);
    }
    return out;
}

}  // namespace ordalis::simtest
