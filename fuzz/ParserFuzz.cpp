// Receive parser against any byte stream. Checks, besides what the sanitizers see:
// - the same frames, in the same order, whether the stream is fed whole, byte by byte,
//   in random chunks, or in chunks fed from inside the frame handler (a modal dialog
//   pumping receive events while an answer is being handled);
// - every frame handed on has its length byte's size, the residue its CRC gives, and
//   came over the wire in that order (its wire form is found in the stream);
// - a good frame after the garbage is recovered: after a silent line (Reset), and
//   without one after enough sync bytes to run out any frame the garbage started.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "link/Codec.h"
#include "link/ReceiveParser.h"

using namespace ordalis;

namespace {

struct Frame {
    uint8_t residue;
    std::vector<uint8_t> bytes;
    bool operator==(const Frame&) const = default;
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "parser fuzz: %s\n", what);
    std::abort();
}

void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

enum class Chunking { Whole, ByteByByte, Random, FromHandler };

std::vector<Frame> Parse(const std::vector<uint8_t>& stream, Chunking mode, uint32_t seed) {
    std::vector<std::vector<uint8_t>> chunks;
    std::mt19937 gen(seed);
    size_t pos = 0;
    while (pos < stream.size()) {
        size_t n = stream.size() - pos;
        if (mode == Chunking::ByteByByte) n = 1;
        if (mode == Chunking::Random || mode == Chunking::FromHandler)
            n = std::min<size_t>(n, 1 + gen() % 40);
        chunks.emplace_back(stream.begin() + pos, stream.begin() + pos + n);
        pos += n;
    }

    ReceiveParser parser;
    std::vector<Frame> frames;
    size_t next = 0;
    int depth = 0;
    parser.SetFrameHandler([&](uint8_t residue, const uint8_t* f, size_t n) {
        Check(n >= 5 && n <= 5 + 255, "frame length out of range");
        frames.push_back({residue, std::vector<uint8_t>(f, f + n)});
        // A handler that pumps events takes in the next chunk (or two) before returning;
        // the frame it was handed must stay as it was.
        if (mode == Chunking::FromHandler && depth < 3) {
            const std::vector<uint8_t> before(f, f + n);
            ++depth;
            for (int k = 0; k < 2 && next < chunks.size(); ++k) {
                const auto& c = chunks[next++];
                parser.Feed(c.data(), c.size());
            }
            --depth;
            Check(std::equal(before.begin(), before.end(), f), "frame changed while the handler fed more bytes");
        }
    });
    while (next < chunks.size()) {
        const auto& c = chunks[next++];
        parser.Feed(c.data(), c.size());
    }
    return frames;
}

// The frame as a drive put it on the wire from its last sync byte: sync, mark, key, then
// the rest scrambled with the key.
std::vector<uint8_t> WireForm(const Frame& f) {
    std::vector<uint8_t> w{kSyncByte, kAnswerMark};
    w.insert(w.end(), f.bytes.begin(), f.bytes.end());
    Scramble(w.data() + 3, w.size() - 3, f.bytes[0]);
    return w;
}

void CheckFrames(const std::vector<Frame>& frames, const std::vector<uint8_t>& stream) {
    auto from = stream.begin();
    for (const Frame& f : frames) {
        Check(f.bytes.size() == size_t{f.bytes[2]} + 5, "frame length differs from its length byte");
        Check(f.residue == Crc8(f.bytes.data() + 1, f.bytes.size() - 1), "residue differs from the frame's CRC");
        const auto w = WireForm(f);
        const auto at = std::search(from, stream.end(), w.begin(), w.end());
        Check(at != stream.end(), "a frame that did not come over the wire, or out of order");
        from = at + static_cast<std::ptrdiff_t>(w.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const uint32_t seed = in.ConsumeIntegral<uint32_t>();
    const uint8_t address = in.ConsumeIntegral<uint8_t>();
    const uint8_t status = in.ConsumeIntegral<uint8_t>();
    const uint8_t key = in.ConsumeIntegral<uint8_t>();
    const uint8_t goodLength = in.ConsumeIntegral<uint8_t>();
    const std::vector<uint8_t> stream = in.ConsumeRemainingBytes<uint8_t>();

    const auto whole = Parse(stream, Chunking::Whole, seed);
    CheckFrames(whole, stream);
    Check(Parse(stream, Chunking::ByteByByte, seed) == whole, "byte-by-byte feeding gives other frames");
    Check(Parse(stream, Chunking::Random, seed) == whole, "random chunks give other frames");
    Check(Parse(stream, Chunking::FromHandler, seed) == whole, "chunks fed from the handler give other frames");

    // A good frame behind the garbage.
    std::vector<uint8_t> payload(goodLength);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(seed >> (i % 4 * 8)) ^ uint8_t(i);
    const auto good = EncodeAnswer(address, status, payload.data(), goodLength, key);
    std::vector<uint8_t> expected{key, address, goodLength, status};
    expected.insert(expected.end(), payload.begin(), payload.end());
    expected.push_back(0);
    expected.back() = Crc8(expected.data() + 1, expected.size() - 2);

    ReceiveParser parser;
    std::vector<Frame> frames;
    parser.SetFrameHandler([&](uint8_t r, const uint8_t* f, size_t n) { frames.push_back({r, {f, f + n}}); });
    parser.Feed(stream.data(), stream.size());
    parser.Reset();  // the line fell silent
    const size_t before = frames.size();
    parser.Feed(good.data(), good.size());
    Check(frames.size() == before + 1, "good frame after a silent line not recovered");
    Check(frames.back() == (Frame{0, expected}), "good frame after a silent line damaged");

    // No silence: the longest frame the garbage can have started (key, address, length,
    // status, 255 data bytes, CRC) runs out within 260 bytes; the good frame brings its
    // own sync byte.
    frames.clear();
    ReceiveParser noisy;
    noisy.SetFrameHandler([&](uint8_t r, const uint8_t* f, size_t n) { frames.push_back({r, {f, f + n}}); });
    noisy.Feed(stream.data(), stream.size());
    const std::vector<uint8_t> syncs(260, kSyncByte);
    noisy.Feed(syncs.data(), syncs.size());
    noisy.Feed(good.data(), good.size());
    Check(!frames.empty() && frames.back() == (Frame{0, expected}), "good frame after sync bytes not recovered");
    return 0;
}
