#include <gtest/gtest.h>

#include "link/Codec.h"
#include "link/ReceiveParser.h"
#include "tests/support/Hexify.h"

namespace ordalis {
namespace {

using test::Hexify;
using test::Unhex;

struct Frame {
    uint8_t residue;
    std::string hex;
};

class ParserTest : public ::testing::Test {
protected:
    ParserTest() {
        parser.SetFrameHandler([this](uint8_t residue, const uint8_t* f, size_t n) {
            frames.push_back({residue, Hexify(f, n)});
        });
    }
    void Feed(const std::string& hex) {
        const auto b = Unhex(hex);
        parser.Feed(b.data(), b.size());
    }
    ReceiveParser parser;
    std::vector<Frame> frames;
};

TEST_F(ParserTest, WorkedAnswer) {
    Feed("F0 E0 5F 01 02 00 90 01 57");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].residue, 0);
    EXPECT_EQ(frames[0].hex, "5F 01 02 00 90 01 57");
    EXPECT_EQ(parser.State(), 0);
}

TEST_F(ParserTest, ChunkedByteByByte) {
    for (const char* b : {"F0", "F0", "E0", "5F", "01", "02", "00", "90", "01", "57"}) Feed(b);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].hex, "5F 01 02 00 90 01 57");
}

TEST_F(ParserTest, ResetDropsHalfFrameAndRestOIsScannedForNewStart) {
    Feed("F0 E0 5F 01 02 00 90");
    parser.Reset();  // 20 ms of silence
    // The tail of the dropped frame is skipped; the following frame still parses.
    Feed("01 57 F0 E0 5F 01 00 00");
    ASSERT_TRUE(frames.empty());
    const uint8_t body[3] = {1, 0, 0};
    const uint8_t crc = Crc8(body, 3);
    Feed(Hexify(&crc, 1));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].residue, 0);
    EXPECT_EQ(frames[0].hex, "5F 01 00 00 " + Hexify(&crc, 1));
}

TEST_F(ParserTest, TwoFramesInOneChunkInOrder) {
    const uint8_t a[1] = {0x11};
    const uint8_t b[2] = {0x22, 0x33};
    auto chunk = EncodeAnswer(1, 0, a, 1);
    const auto second = EncodeAnswer(2, 0, b, 2, 0x3C, 2);
    chunk.insert(chunk.end(), second.begin(), second.end());
    parser.Feed(chunk.data(), chunk.size());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].hex.substr(0, 15), "5F 01 01 00 11 ");
    EXPECT_EQ(frames[1].hex.substr(0, 18), "3C 02 02 00 22 33 ");  // unscrambled, key kept
    EXPECT_EQ(frames[1].residue, 0);
}

TEST_F(ParserTest, LengthZeroFrame) {
    const auto f = EncodeAnswer(5, 0, nullptr, 0);
    parser.Feed(f.data(), f.size());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].hex.size(), 5 * 3 - 1u);
    EXPECT_EQ(frames[0].residue, 0);
}

TEST_F(ParserTest, BadCrcHandedOnWithResidue) {
    Feed("F0 E0 5F 01 02 00 90 02 57");  // a data byte flipped
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_NE(frames[0].residue, 0);
    // Recovers on the next frame.
    Feed("F0 E0 5F 01 02 00 90 01 57");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].residue, 0);
}

TEST_F(ParserTest, SyncRules) {
    Feed("E0 5F 01 02 00 90 01 57");  // no 0xF0 before the mark: skipped
    EXPECT_TRUE(frames.empty());
    Feed("F0 F0 F0 F0 E0 5F 01 02 00 90 01 57");  // four sync bytes: exactly one frame
    EXPECT_EQ(frames.size(), 1u);
    Feed("F0 33 E0 5F 01 02 00 90 01 57");  // a foreign byte breaks the sync run
    EXPECT_EQ(frames.size(), 1u);
    // F0 and E0 inside a frame are data: the length decides where it ends.
    const uint8_t data[3] = {0xF0, 0xE0, 0xF0};
    const auto f = EncodeAnswer(1, 0, data, 3);
    parser.Feed(f.data(), f.size());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].residue, 0);
    EXPECT_EQ(frames[1].hex.substr(0, 21), "5F 01 03 00 F0 E0 F0 ");
}

// Used to lose the frame after a run of 256, 512, ... sync bytes (an idle line full of
// 0xF0, or the tail of a frame cut off by noise): the sync count wrapped to 0 on the last
// 0xF0, and the start mark behind it was skipped.
TEST_F(ParserTest, AnySyncRunStartsAFrame) {
    for (const size_t run : {1u, 255u, 256u, 257u, 511u, 512u, 1000u}) {
        frames.clear();
        std::vector<uint8_t> bytes(run, kSyncByte);
        const auto f = Unhex("E0 5F 01 02 00 90 01 57");
        bytes.insert(bytes.end(), f.begin(), f.end());
        parser.Feed(bytes.data(), bytes.size());
        ASSERT_EQ(frames.size(), 1u) << run << " sync bytes";
        EXPECT_EQ(frames[0].residue, 0);
        EXPECT_EQ(parser.State(), 0);
    }
}

TEST(ReceiveParser, RequestMarkForSimulatorSide) {
    ReceiveParser p(kRequestMark);
    std::string got;
    p.SetFrameHandler([&](uint8_t r, const uint8_t* f, size_t n) { got = r == 0 ? Hexify(f, n) : "bad"; });
    const auto b = Unhex("F0 F0 F0 C0 3C 9A 9B DC 76 99 7A");
    p.Feed(b.data(), b.size());
    EXPECT_EQ(got, "3C 01 02 43 25 00 21");
}

TEST(ReceiveParser, MaxLengthFrameStaysInBuffer) {
    ReceiveParser p;
    std::vector<uint8_t> data(255);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    size_t length = 0;
    uint8_t residue = 1;
    std::vector<uint8_t> got;
    p.SetFrameHandler([&](uint8_t r, const uint8_t* f, size_t n) {
        residue = r;
        length = n;
        got.assign(f + 4, f + 4 + 255);
    });
    const auto f = EncodeAnswer(1, 0, data.data(), 255, 0x12);
    p.Feed(f.data(), f.size());
    EXPECT_EQ(length, 260u);
    EXPECT_EQ(residue, 0);
    EXPECT_EQ(got, data);
}

// A handler that feeds more bytes (as a modal dialog pumping receive events would) must
// neither corrupt the frame it is holding nor reorder bytes.
TEST(ReceiveParser, BytesFedFromInsideHandler) {
    ReceiveParser p;
    std::vector<std::string> seen;
    const uint8_t one[2] = {0xAA, 0xBB};
    const uint8_t two[2] = {0xCC, 0xDD};
    const uint8_t three[2] = {0xEE, 0x11};
    const auto f2 = EncodeAnswer(2, 0, two, 2);
    bool nested = false;
    p.SetFrameHandler([&](uint8_t, const uint8_t* f, size_t n) {
        const std::string before = Hexify(f, n);
        if (!nested) {
            nested = true;
            p.Feed(f2.data(), f2.size());
        }
        EXPECT_EQ(Hexify(f, n), before) << "frame changed under the handler";
        seen.push_back(before.substr(0, 5));
    });
    // Chunk with frame 1 and the first half of frame 3; frame 2 arrives inside frame 1's
    // handler, after the chunk was received, so frame 3's remainder is parsed first.
    auto chunk = EncodeAnswer(1, 0, one, 2);
    const auto f3 = EncodeAnswer(3, 0, three, 2);
    chunk.insert(chunk.end(), f3.begin(), f3.end());
    p.Feed(chunk.data(), chunk.size());
    // Frame 1's handler is still running while frames 3 and 2 complete, so they are
    // recorded first; what matters is that each is intact and 3 precedes 2.
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "5F 03");
    EXPECT_EQ(seen[1], "5F 02");
    EXPECT_EQ(seen[2], "5F 01");
}

}  // namespace
}  // namespace ordalis
