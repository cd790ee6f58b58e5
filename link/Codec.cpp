#include "link/Codec.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace ordalis {

namespace {

// CRC-8/MAXIM table: reflected polynomial 0x8C.
constexpr std::array<uint8_t, 256> MakeCrcTable() {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
        uint8_t c = static_cast<uint8_t>(i);
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? static_cast<uint8_t>((c >> 1) ^ 0x8C) : static_cast<uint8_t>(c >> 1);
        t[i] = c;
    }
    return t;
}
constexpr std::array<uint8_t, 256> kCrcTable = MakeCrcTable();

// Option word of 0x47/0x48: first two data bytes, low byte first; missing bytes read as 0.
uint16_t OptionWord(const CommandRecord& r) {
    if (!r.Data) return 0;
    uint16_t v = 0;
    if (r.DataLen >= 1) v = r.Data[0];
    if (r.DataLen >= 2) v = static_cast<uint16_t>(v | (r.Data[1] << 8));
    return v;
}

}  // namespace

const char* const TraceNames[17] = {
    "TraceVariable", "TraceVariable", "TraceVariable", "TraceVariable", "TraceVariable", "TraceVariable",
    "save", "save",
    " ChannelNum", " SampleResolution", " SampPeriod", " TrigerMode/chanel/TrigVar", " TrigDelay",
    " MaxSamples", " AvidSamples", " TraceStatus", " SamplesData",
};

uint8_t Crc8Step(uint8_t crc, uint8_t byte) { return kCrcTable[crc ^ byte]; }

uint8_t Crc8(const uint8_t* bytes, size_t count) {
    uint8_t crc = 0;
    for (size_t i = 0; i < count; ++i) crc = kCrcTable[crc ^ bytes[i]];
    return crc;
}

void Scramble(uint8_t* bytes, size_t count, uint8_t key) {
    if (key == kPlainKey) return;
    for (size_t i = 0; i < count; ++i) bytes[i] = ScrambleByte(bytes[i], key);
}

void Unscramble(uint8_t* bytes, size_t count, uint8_t key) {
    if (key == kPlainKey) return;
    for (size_t i = 0; i < count; ++i) bytes[i] = UnscrambleByte(bytes[i], key);
}

bool CommandIsScrambled(uint8_t command) { return command != CmdWrite && command != CmdTrace; }

namespace {
bool CarriesId(uint8_t command) { return command == CmdRead || command == CmdWrite || command == CmdTrace; }
size_t RequestDataLength(const CommandRecord& r) {
    const size_t dataLen = r.Command == CmdRead ? 0 : r.DataLen;
    return CarriesId(r.Command) ? dataLen + 2 : dataLen;
}
}  // namespace

bool RequestFits(const CommandRecord& record) { return RequestDataLength(record) <= 255; }

std::vector<uint8_t> EncodeRequest(const CommandRecord& record, uint8_t address, uint8_t key,
                                   std::vector<uint8_t>* plainOut) {
    if (!RequestFits(record)) {
        if (plainOut) plainOut->clear();
        return {};
    }
    if (!CommandIsScrambled(record.Command)) key = kPlainKey;
    const bool withId = record.Command == CmdWrite || record.Command == CmdTrace;
    const size_t dataLen = record.Command == CmdRead ? 0 : record.DataLen;
    const size_t n = RequestDataLength(record);

    std::vector<uint8_t> f;
    f.reserve(9 + n);
    f.insert(f.end(), {kSyncByte, kSyncByte, kSyncByte, kRequestMark, key, address, static_cast<uint8_t>(n),
                       record.Command});
    if (record.Command == CmdRead || withId) {
        f.push_back(static_cast<uint8_t>(record.ParamId & 0xFF));
        f.push_back(static_cast<uint8_t>(record.ParamId >> 8));
    }
    for (size_t i = 0; i < dataLen; ++i) f.push_back(record.Data ? record.Data[i] : 0);
    f.push_back(Crc8(f.data() + 5, 3 + n));
    if (plainOut) plainOut->assign(f.begin() + 4, f.end());
    Scramble(f.data() + 5, 4 + n, key);
    return f;
}

std::vector<uint8_t> EncodeAnswer(uint8_t address, uint8_t status, const uint8_t* data, uint8_t length,
                                  uint8_t key, int syncCount) {
    std::vector<uint8_t> f(static_cast<size_t>(syncCount > 0 ? syncCount : 0), kSyncByte);
    f.push_back(kAnswerMark);
    f.push_back(key);
    const size_t body = f.size();
    f.push_back(address);
    f.push_back(length);
    f.push_back(status);
    for (size_t i = 0; i < length; ++i) f.push_back(data ? data[i] : 0);
    f.push_back(Crc8(f.data() + body, 3 + size_t{length}));
    Scramble(f.data() + body, 4 + size_t{length}, key);
    return f;
}

std::string CommandLabel(const CommandRecord& r) {
    switch (r.Command) {
    case CmdCommTest:
        return "Communications Test";
    case CmdRead:
        return r.ParamId > 269 ? "Read Not identified id" : std::string("Read ") + ParamNames[r.ParamId];
    case CmdWrite:
        return r.ParamId > 269 ? "Set Not identified id" : std::string("Set ") + ParamNames[r.ParamId];
    case CmdEeprom:
        switch (OptionWord(r)) {
        case 0: return "EEPROM read";
        case 1: return "EEPROM write";
        case 2: return "recover";
        default: return " Not identified opt";
        }
    case CmdStudy:
        return OptionWord(r) == 0 ? "Study parameters" : " Not identified opt";
    case CmdTrace:
        if (r.ParamId > 16) return " Not identified id";
        return std::string(r.DataLen != 0 ? "Set " : "Get ") + TraceNames[r.ParamId];
    default:
        return std::string();
    }
}

std::string LogTimestamp(std::chrono::system_clock::time_point now) {
    using namespace std::chrono;
    const long long ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
    const long long msOfSecond = ((ms % 1000) + 1000) % 1000;
    const std::time_t seconds = static_cast<std::time_t>((ms - msOfSecond) / 1000);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char buf[24];
    std::snprintf(buf, sizeof buf, "%.2d:%.2d:%.2d-%.4d ", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(msOfSecond));
    return buf;
}

std::string LogTimestamp() { return LogTimestamp(std::chrono::system_clock::now()); }

std::string HexBytes(const uint8_t* bytes, size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    s.resize(count * 3);
    for (size_t i = 0; i < count; ++i) {
        s[3 * i] = kDigits[bytes[i] >> 4];
        s[3 * i + 1] = kDigits[bytes[i] & 0x0F];
        s[3 * i + 2] = ' ';
    }
    return s;
}

}  // namespace ordalis
