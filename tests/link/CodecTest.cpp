#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "link/Codec.h"
#include "tests/support/Hexify.h"

namespace ordalis {
namespace {

using test::Hexify;
using test::Unhex;

TEST(Crc8, CheckValueAndResidue) {
    const std::string text = "123456789";
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    EXPECT_EQ(Crc8(bytes, text.size()), 0xA1);
    std::vector<uint8_t> withCrc(bytes, bytes + text.size());
    withCrc.push_back(0xA1);
    EXPECT_EQ(Crc8(withCrc.data(), withCrc.size()), 0);
}

TEST(EncodeRequest, WorkedFrames) {
    uint8_t baud[4] = {0x00, 0xC2, 0x01, 0x00};  // 115200
    const CommandRecord read37{CmdRead, 37, 2, nullptr, 0, {}};
    const CommandRecord write53{CmdWrite, 53, 4, baud, 4, {}};

    std::vector<uint8_t> plain;
    EXPECT_EQ(Hexify(EncodeRequest(read37, 0x01, 0x5F, &plain)), "F0 F0 F0 C0 5F 01 02 43 25 00 21");
    EXPECT_EQ(Hexify(plain), "5F 01 02 43 25 00 21");

    // The log gets the plain frame while the wire carries the scrambled one.
    EXPECT_EQ(Hexify(EncodeRequest(read37, 0x01, 0x3C, &plain)), "F0 F0 F0 C0 3C 9A 9B DC 76 99 7A");
    EXPECT_EQ(Hexify(plain), "3C 01 02 43 25 00 21");

    // 0x44 is never scrambled, whatever key is offered.
    EXPECT_EQ(Hexify(EncodeRequest(write53, 0x01, 0x3C)), "F0 F0 F0 C0 5F 01 06 44 35 00 00 C2 01 00 DA");
}

TEST(EncodeRequest, LengthsAndZeroData) {
    uint8_t opt[2] = {1, 0};
    struct Case {
        CommandRecord rec;
        size_t size;
    };
    const Case cases[] = {
        {{CmdCommTest, 0, 0, nullptr, 0, {}}, 9},
        {{CmdEeprom, 0, 2, opt, 2, {}}, 11},
        {{CmdStudy, 0, 0, nullptr, 0, {}}, 9},
        {{CmdTrace, 15, 0, nullptr, 0, {}}, 11},
        {{CmdTrace, 8, 2, opt, 2, {}}, 13},
        {{CmdRead, 55, 64, nullptr, 64, {}}, 11},  // DataLen of a read is the field size, not sent
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> plain;
        const auto frame = EncodeRequest(c.rec, 3, 0x5F, &plain);
        EXPECT_EQ(frame.size(), c.size) << int(c.rec.Command);
        EXPECT_EQ(plain.size(), c.size - 4);
        EXPECT_EQ(Crc8(plain.data() + 1, plain.size() - 1), 0) << "CRC covers address through data";
    }
    // Length 0: CRC over address, length and command only.
    const auto test = EncodeRequest({CmdCommTest, 0, 0, nullptr, 0, {}}, 1, 0x5F);
    const uint8_t covered[3] = {1, 0, CmdCommTest};
    EXPECT_EQ(test.back(), Crc8(covered, 3));
}

// Write and trace frames carry the id and the data behind one length byte: more than 253
// data bytes used to go out with the length wrapped. Such a record gives no frame at all.
TEST(EncodeRequest, RefusesDataTheLengthByteCannotCount) {
    static uint8_t data[255] = {};
    struct Case {
        uint8_t command;
        uint8_t dataLen;
        size_t size;  // 0: refused
    };
    const Case cases[] = {
        {CmdWrite, 253, 9 + 255}, {CmdWrite, 254, 0},     {CmdWrite, 255, 0},
        {CmdTrace, 253, 9 + 255}, {CmdTrace, 254, 0},     {CmdCommTest, 255, 9 + 255},
        {CmdEeprom, 255, 9 + 255}, {CmdRead, 255, 11},  // a read sends only the id
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> plain{0xAA};
        const CommandRecord rec{c.command, 16, c.dataLen, data, 255, {}};
        const auto frame = EncodeRequest(rec, 1, 0x5F, &plain);
        EXPECT_EQ(frame.size(), c.size) << int(c.command) << " " << int(c.dataLen);
        if (c.size == 0) EXPECT_TRUE(plain.empty());
        else EXPECT_EQ(frame[6], c.size - 9) << "length byte";
    }
}

TEST(EncodeRequest, ScrambledFrameRestoresForEveryKey) {
    uint8_t data[3] = {0xF0, 0xE0, 0x5F};
    const CommandRecord rec{CmdCommTest, 0, 3, data, 3, {}};
    std::vector<uint8_t> plainRef;
    EncodeRequest(rec, 7, 0x5F, &plainRef);
    for (int key = 0; key < 255; ++key) {
        auto frame = EncodeRequest(rec, 7, static_cast<uint8_t>(key));
        ASSERT_EQ(frame[4], key);
        Unscramble(frame.data() + 5, frame.size() - 5, frame[4]);
        EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 5, frame.end()),
                  std::vector<uint8_t>(plainRef.begin() + 1, plainRef.end()))
            << key;
    }
}

TEST(EncodeAnswer, WorkedFrame) {
    const uint8_t data[2] = {0x90, 0x01};
    EXPECT_EQ(Hexify(EncodeAnswer(0x01, 0, data, 2)), "F0 E0 5F 01 02 00 90 01 57");
    EXPECT_EQ(Hexify(EncodeAnswer(0x01, 0, data, 2, 0x5F, 3)), "F0 F0 F0 E0 5F 01 02 00 90 01 57");
}

TEST(CommandLabel, Table) {
    uint8_t opt[2] = {0, 0};
    uint8_t opt1[2] = {1, 0};
    uint8_t opt2[2] = {2, 0};
    uint8_t opt256[2] = {0, 1};
    struct Case {
        CommandRecord rec;
        const char* label;
    };
    const Case cases[] = {
        {{CmdCommTest, 0, 0, nullptr, 0, {}}, "Communications Test"},
        {{CmdRead, 37, 2, nullptr, 0, {}}, "Read  Ipeak"},
        {{CmdRead, 0, 2, nullptr, 0, {}}, "Read kp"},
        {{CmdRead, 2, 2, nullptr, 0, {}}, "Read Not identified id"},
        {{CmdRead, 9, 2, nullptr, 0, {}}, "Read  Not identified id"},
        {{CmdRead, 269, 2, nullptr, 0, {}}, "Read  Not identified id"},
        {{CmdRead, 270, 2, nullptr, 0, {}}, "Read Not identified id"},
        {{CmdRead, 206, 2, nullptr, 0, {}}, "Read ServoPeriod"},
        {{CmdWrite, 53, 4, nullptr, 0, {}}, "Set  Communications bps"},
        {{CmdWrite, 269, 2, nullptr, 0, {}}, "Set  Not identified id"},
        {{CmdWrite, 270, 2, nullptr, 0, {}}, "Set Not identified id"},
        {{CmdEeprom, 0, 2, opt, 2, {}}, "EEPROM read"},
        {{CmdEeprom, 0, 2, opt1, 2, {}}, "EEPROM write"},
        {{CmdEeprom, 0, 2, opt2, 2, {}}, "recover"},
        {{CmdEeprom, 0, 2, opt256, 2, {}}, " Not identified opt"},
        {{CmdStudy, 0, 2, opt, 2, {}}, "Study parameters"},
        {{CmdStudy, 0, 2, opt1, 2, {}}, " Not identified opt"},
        {{CmdTrace, 3, 0, nullptr, 0, {}}, "Get TraceVariable"},
        {{CmdTrace, 7, 2, opt, 2, {}}, "Set save"},
        {{CmdTrace, 16, 0, nullptr, 0, {}}, "Get  SamplesData"},
        {{CmdTrace, 17, 0, nullptr, 0, {}}, " Not identified id"},
    };
    for (const auto& c : cases) EXPECT_EQ(CommandLabel(c.rec), c.label) << int(c.rec.Command) << "/" << c.rec.ParamId;
}

// Used to stamp UTC + 8 whatever the machine's zone: a frame at 17:30 here showed 01:30.
TEST(LogTimestamp, MachinesLocalTime) {
    using namespace std::chrono;
    const char* const old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    // POSIX zones: "XYZ-8" is eight hours east of UTC, "ABC+5" five hours west.
    for (const char* zone : {"UTC0", "XYZ-8", "ABC+5", "NPT-5:45"}) {
        setenv("TZ", zone, 1);
        tzset();
        std::tm local{};
        local.tm_year = 2024 - 1900;
        local.tm_mon = 2;
        local.tm_mday = 1;
        local.tm_hour = 17;
        local.tm_min = 30;
        local.tm_sec = 5;
        local.tm_isdst = -1;
        const auto at = system_clock::from_time_t(std::mktime(&local)) + 42ms;
        EXPECT_EQ(LogTimestamp(at), "17:30:05-0042 ") << zone;
        EXPECT_EQ(LogTimestamp(at + 6h + 29min + 54s + 957ms), "23:59:59-0999 ") << zone;
        EXPECT_EQ(LogTimestamp(at + 6h + 29min + 54s + 958ms), "00:00:00-0000 ") << zone;
    }
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(HexBytes, LogFormat) {
    const auto bytes = Unhex("5F 01 02 43 25 00 21");
    EXPECT_EQ(HexBytes(bytes.data(), bytes.size()), "5F 01 02 43 25 00 21 ");
    EXPECT_EQ(HexBytes(bytes.data(), 0), "");
}

}  // namespace
}  // namespace ordalis
