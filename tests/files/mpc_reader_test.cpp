// The pad sampler's sequence and package files, built in the tests from the
// layout seen on files saved by firmware 4.40.
#include "files/mpc_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "files/file_common.h"
#include "program/program.h"
#include "tests/files/file_test_util.h"

namespace qz {
namespace {

using test::Bytes;
using test::Fixture;

void put32le(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + size_t(i)) = uint8_t(v >> (8 * i));
}
void put16le(Bytes& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

struct MpcTrack {
    std::string name;
    uint8_t type35 = 2, type36 = 1, channel37 = 0;
};

struct MpcEvent {
    int32_t time;
    uint8_t track, status, d1, d2;
    uint32_t word;
    uint8_t pad = 0;
};

// One sequence image as the hardware writes it: magic and version (or, in
// a package, the name), bar count, tempo, bar table, 64 track records, the
// separator, the events and the end record.
Bytes mpcImage(const std::string& head16, int bars, int tempoX10, const std::vector<MpcTrack>& tracks,
               const std::vector<MpcEvent>& events) {
    Bytes b(7184 + 16 * (events.size() + 1), 0);
    put32le(b, 0, uint32_t(b.size()));
    std::memcpy(&b[4], head16.data(), std::min<size_t>(head16.size(), 16));
    put16le(b, 28, uint32_t(bars));
    put16le(b, 32, uint32_t(tempoX10));
    for (int bar = 0; bar < bars && 48 + 4 * bar + 4 <= 4096; ++bar) {
        const uint32_t tick = uint32_t(bar) * 384;
        b[size_t(48 + 4 * bar)] = uint8_t(tick);
        b[size_t(49 + 4 * bar)] = uint8_t(tick >> 8);
        b[size_t(50 + 4 * bar)] = uint8_t(tick >> 16);
        b[size_t(51 + 4 * bar)] = 0x60;
    }
    for (size_t t = 0; t < tracks.size(); ++t) {
        const size_t at = 4096 + 48 * t;
        std::memcpy(&b[at], tracks[t].name.data(), std::min<size_t>(tracks[t].name.size(), 16));
        b[at + 35] = tracks[t].type35;
        b[at + 36] = tracks[t].type36;
        b[at + 37] = tracks[t].channel37;
    }
    const uint8_t sep[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF,
                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::memcpy(&b[7168], sep, 16);
    size_t at = 7184;
    for (const MpcEvent& e : events) {
        put32le(b, at, uint32_t(e.time));
        b[at + 4] = e.track;
        b[at + 5] = e.status;
        b[at + 6] = e.d1;
        b[at + 7] = e.d2;
        put32le(b, at + 8, e.word);
        b[at + 13] = e.pad;
        at += 16;
    }
    put32le(b, at, 0x7FFFFFFF);
    b[at + 4] = 0xFF;
    b[at + 5] = 0xFF;
    return b;
}

std::vector<MpcTrack> sixteenTracks() {
    std::vector<MpcTrack> t(64);
    for (int i = 0; i < 16; ++i) t[size_t(i)].name = "Track-" + std::to_string(i + 1);
    return t;
}

int loadSeq(AppState& app, const Bytes& b, const char* path = "/songs/BEAT.SEQ") {
    return loadMpcSequenceImage(app, b.data(), b.size(), nullptr, path);
}

TEST(MpcSequence, Firmware440File) {
    auto tracks = sixteenTracks();
    tracks[0].type35 = 0;                       // drum
    tracks[1].type35 = 1;                       // drum
    tracks[2].type35 = 2, tracks[2].channel37 = 5;  // MIDI on channel 5
    tracks[3].type35 = 3, tracks[3].channel37 = 0;  // MIDI, channel not set
    tracks[4].name = "ABCDEFGHIJKLMNOPQRS";
    const std::vector<MpcEvent> events = {
        {0, 1, 0x90, 36, 100, 48},      {0, 0, 0x90, 37, 90, 12},   // track 0 is kept
        {0, 17, 0x90, 38, 80, 12},                                  // track 17 is dropped
        {96, 3, 0xB0, 7, 100, 0},       {192, 1, 0x81, 0, 0, 15000},  // tempo x 1.5
        {200, 2, 0x88, 0, 0, 0},        {300, 2, 0x90, 40, 1, 20000}, // audio-track record skipped; long note
        {384, 5, 0xE0, 0, 64, 0},       {400, 4, 0x81, 0, 0, 10000}};
    Bytes image = mpcImage("MPC1000 SEQ 4.40", 4, 1200, tracks, events);
    Fixture f;
    ASSERT_EQ(loadSeq(*f, image), 0);
    const Sequence* s = f.slot(1);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->name, "BEAT");
    EXPECT_EQ(s->bars, 4u);
    EXPECT_EQ(s->tempoX10, 1200);
    EXPECT_EQ(s->unsaved, 0u);
    for (int t = 1; t <= 16; ++t) EXPECT_EQ(s->tracks[t].used, 1) << t;
    EXPECT_EQ(s->tracks[1].type, TRACK_TYPE_DRUM);
    EXPECT_EQ(s->tracks[1].drumPart, 1);
    EXPECT_EQ(s->tracks[1].channel, 0);
    EXPECT_EQ(s->tracks[2].type, TRACK_TYPE_DRUM);
    EXPECT_EQ(s->tracks[3].type, TRACK_TYPE_NOTE);
    EXPECT_EQ(s->tracks[3].drumPart, 0);
    EXPECT_EQ(s->tracks[3].channel, 4);
    EXPECT_EQ(s->tracks[4].channel, 3);
    EXPECT_STREQ(s->tracks[5].name, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(s->tracks[3].volume, 100);  // taken from the controller before bar 3

    auto ev = test::eventsOf(s);
    ASSERT_EQ(ev.size(), 7u);
    EXPECT_EQ(ev[0].track, 1);
    EXPECT_EQ(ev[0].value, 48u);
    EXPECT_EQ(ev[1].track, 0);
    EXPECT_EQ(ev[2].status, ST_CONTROL);
    EXPECT_TRUE(isTempoEvent(ev[3]));
    EXPECT_EQ(ev[3].value, 1800u);
    EXPECT_EQ(ev[3].value2, 333333u);
    EXPECT_EQ(ev[4].value, 9999u);  // 20000 ticks: held to the longest note
    EXPECT_EQ(ev[5].status, ST_PITCH_BEND);
    EXPECT_TRUE(isTempoEvent(ev[6]));
    EXPECT_EQ(ev[6].value, 1200u);
    EXPECT_EQ(ev[6].value2, 500000u);
}

TEST(MpcSequence, VersionVariants) {
    struct Case { char major, minor; int seq, all; };
    const Case cases[] = {{'3', '9', 0, 0}, {'4', '0', 0, 0}, {'4', '1', 1, 1}, {'4', '2', 2, 2},
                          {'4', '3', 3, 2}, {'4', '4', 3, 3}, {'5', '1', 1, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(mpcVariant(uint8_t(c.major), uint8_t(c.minor), false), c.seq) << c.major << c.minor;
        EXPECT_EQ(mpcVariant(uint8_t(c.major), uint8_t(c.minor), true), c.all) << c.major << c.minor;
    }

    auto tracks = sixteenTracks();
    tracks[0].type35 = 2, tracks[0].type36 = 0;  // oldest firmware: drum by byte 36
    const std::vector<MpcEvent> events = {{0, 1, 0x90, 36, 1, 1, 5}, {1, 1, 0x90, 78, 1, 1, 5},
                                          {2, 1, 0x90, 20, 1, 1, 5}, {3, 2, 0x90, 99, 1, 1, 5}};
    {
        Fixture f;
        ASSERT_EQ(loadSeq(*f, mpcImage("MPC1000 SEQ 3.00", 1, 1200, tracks, events)), 0);
        auto ev = test::eventsOf(f.slot(1));
        ASSERT_EQ(ev.size(), 4u);
        EXPECT_EQ(ev[0].data1, 37);
        EXPECT_EQ(ev[1].data1, 84);
        EXPECT_EQ(ev[2].data1, 100);
        EXPECT_EQ(ev[3].data1, 100);
        EXPECT_EQ(f.slot(1)->tracks[1].type, TRACK_TYPE_DRUM);
    }
    {
        // 4.10: a drum track's note is its pad number + 36, whatever its data 1.
        tracks[0].type35 = 0;
        Fixture f;
        ASSERT_EQ(loadSeq(*f, mpcImage("MPC1000 SEQ 4.10", 1, 1200, tracks, events)), 0);
        auto ev = test::eventsOf(f.slot(1));
        ASSERT_EQ(ev.size(), 4u);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(ev[size_t(i)].data1, 41) << i;
        EXPECT_EQ(ev[3].data1, 99);  // track 2 is a MIDI track
    }
}

TEST(MpcSequence, BadFilesLoadNothingOrWhatIsThere) {
    auto tracks = sixteenTracks();
    Bytes good = mpcImage("MPC1000 SEQ 4.40", 2, 1200, tracks, {{0, 1, 0x90, 36, 1, 1}});
    {
        Bytes wrong = good;
        wrong[4] = 'X';
        Fixture f;
        EXPECT_EQ(loadSeq(*f, wrong), ERR_NOT_SEQUENCE);  // refused, not reported as loaded
        EXPECT_EQ(f.slot(1), nullptr);
    }
    for (int bars : {0, -5, 1200}) {
        Bytes b = good;
        put16le(b, 28, uint32_t(bars) & 0xFFFF);
        Fixture f;
        ASSERT_EQ(loadSeq(*f, b), 0);
        EXPECT_EQ(f.slot(1)->bars, bars == 1200 ? 999u : 1u) << bars;
    }
    for (size_t cut : {size_t(19), size_t(5000), size_t(7190)}) {
        Fixture f;
        Bytes b(good.begin(), good.begin() + std::ptrdiff_t(cut));
        ASSERT_EQ(loadSeq(*f, b), 0) << cut;
        EXPECT_EQ(f.slot(1)->eventCount, 0) << cut;
    }
    {
        // A note of velocity 0 is silent and would be a note-off as MIDI.
        Fixture f;
        ASSERT_EQ(loadSeq(*f, mpcImage("MPC1000 SEQ 4.40", 2, 1200, tracks, {{0, 2, 0x90, 100, 0, 1}})), 0);
        EXPECT_EQ(f.slot(1)->eventCount, 0);
    }
    {
        // Records out of time order are put in order; one before the start
        // or at the end of bar 999 has no place.
        Fixture f;
        ASSERT_EQ(loadSeq(*f, mpcImage("MPC1000 SEQ 4.40", 2, 1200, tracks,
                                       {{50, 1, 0x90, 36, 1, 1}, {10, 1, 0x90, 37, 1, 1}, {-4, 1, 0x90, 38, 1, 1},
                                        {999 * 384, 1, 0x90, 39, 1, 1}})),
                  0);
        auto ev = test::eventsOf(f.slot(1));
        ASSERT_EQ(ev.size(), 2u);
        EXPECT_EQ(ev[0].time, 10);
        EXPECT_EQ(ev[1].time, 50);
    }
}

// A package with sequences in the given directory entries.
Bytes mpcPackage(const std::vector<std::pair<int, std::string>>& entries) {
    Bytes b(24 + 24 * 99, 0);
    std::memcpy(&b[4], "MPC1000 ALL 4.40", 16);
    for (const auto& [entry, name] : entries) {
        put32le(b, size_t(24 + 24 * entry + 20), uint32_t(b.size()));
        Bytes image = mpcImage(name + std::string(1, '\0'), 3, 900, sixteenTracks(), {{0, 1, 0x90, 36, 1, 1}});
        b.insert(b.end(), image.begin(), image.end());
    }
    return b;
}

TEST(MpcPackage, SequencesGoToSuccessiveSlots) {
    Bytes pkg = mpcPackage({{0, "INTRO"}, {5, "VERSE"}, {98, "END"}});
    {
        Fixture f;
        ASSERT_EQ(loadMpcPackageImage(*f, pkg.data(), pkg.size()), 0);
        EXPECT_STREQ(f.slot(1)->name, "INTRO");
        EXPECT_STREQ(f.slot(2)->name, "VERSE");
        EXPECT_STREQ(f.slot(3)->name, "END");
        EXPECT_EQ(f.slot(4), nullptr);
        EXPECT_EQ((*f).currentSlot, 1);
        EXPECT_EQ(f.slot(2)->tempoX10, 900);
        EXPECT_EQ(f.slot(2)->eventCount, 1);
    }
    {
        Fixture f;
        for (int s = 1; s <= 97; ++s) ASSERT_NE(createSequence(*f, s), nullptr);
        EXPECT_EQ(loadMpcPackageImage(*f, pkg.data(), pkg.size()), ERR_ROOM_FULL);
        EXPECT_STREQ(f.slot(98)->name, "INTRO");
        EXPECT_STREQ(f.slot(99)->name, "VERSE");
    }
    {
        Bytes bad = pkg;
        bad[12] = 'Q';
        Fixture f;
        EXPECT_EQ(loadMpcPackageImage(*f, bad.data(), bad.size()), ERR_NOT_SEQUENCE);
        EXPECT_EQ(f.slot(1), nullptr);
    }
    {
        // Directory entries pointing outside the file, and images whose
        // stored length runs past it, read nothing outside the file.
        Bytes bad = pkg;
        put32le(bad, 24 + 24 * 7 + 20, 0xFFFFFF00u);
        put32le(bad, 24 + 24 * 99, 0xFFFFFFFFu);
        bad.resize(bad.size() - 100);
        Fixture f;
        EXPECT_EQ(loadMpcPackageImage(*f, bad.data(), bad.size()), 0);
        EXPECT_NE(f.slot(3), nullptr);
        EXPECT_EQ(f.slot(4), nullptr);
    }
}

}  // namespace
}  // namespace qz
