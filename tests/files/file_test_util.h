// Helpers of the file tests: MIDI files built byte by byte, a fresh state,
// and the canonical form of a dump used to compare sequences.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "files/sequence_dump.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz::test {

using Bytes = std::vector<uint8_t>;

inline void put32be(Bytes& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}
inline void put16be(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
inline void putVlq(Bytes& b, uint32_t v) {
    uint8_t tmp[5];
    int n = 0;
    tmp[n++] = uint8_t(v & 0x7F);
    while (v >>= 7) tmp[n++] = uint8_t(0x80 | (v & 0x7F));
    while (n) b.push_back(tmp[--n]);
}

// A track chunk's body built from events; `end()` adds End of Track.
struct Track {
    Bytes body;
    Track& ev(uint32_t delta, std::initializer_list<uint8_t> bytes) {
        putVlq(body, delta);
        body.insert(body.end(), bytes);
        return *this;
    }
    Track& meta(uint32_t delta, uint8_t type, const std::string& data) {
        putVlq(body, delta);
        body.push_back(0xFF);
        body.push_back(type);
        putVlq(body, uint32_t(data.size()));
        body.insert(body.end(), data.begin(), data.end());
        return *this;
    }
    Track& tempo(uint32_t delta, uint32_t us) {
        return ev(delta, {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
    }
    Track& end(uint32_t delta = 0) { return ev(delta, {0xFF, 0x2F, 0x00}); }
};

// A whole file: header with the given format, chunk count and division.
inline Bytes smfFile(int format, uint32_t division, const std::vector<Track>& tracks, int chunkCount = -1) {
    Bytes b = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    put16be(b, uint32_t(format));
    put16be(b, uint32_t(chunkCount < 0 ? int(tracks.size()) : chunkCount));
    put16be(b, division);
    for (const Track& t : tracks) {
        b.insert(b.end(), {'M', 'T', 'r', 'k'});
        put32be(b, uint32_t(t.body.size()));
        b.insert(b.end(), t.body.begin(), t.body.end());
    }
    return b;
}

// A fresh application state, freed at the end of the test.
struct Fixture {
    std::unique_ptr<AppState> app = std::make_unique<AppState>();
    Fixture() { EXPECT_EQ(initAppState(*app), 0); }
    ~Fixture() { freeAppState(*app); }
    AppState& operator*() { return *app; }
    Sequence* slot(int s) { return app->slots[s]; }
};

inline std::vector<SeqEvent> eventsOf(const Sequence* s) {
    return std::vector<SeqEvent>(seqEvents(s), seqEvents(s) + s->eventCount);
}

// A temporary folder removed at the end of the test.
struct TempDir {
    std::filesystem::path path;
    TempDir() {
        static int made = 0;
        path = std::filesystem::temp_directory_path() /
               ("qz_files_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + std::to_string(++made));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

inline std::string dumpOf(const Sequence* s) {
    std::string out;
    dumpSequence(s, out);
    return out;
}

}  // namespace qz::test
