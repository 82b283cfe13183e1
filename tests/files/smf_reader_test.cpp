// The MIDI file reader on hand-made files (timing, pairing, tempo, track
// assignment, broken files) and on every real file of the test data.
#include "files/smf_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include "files/file_common.h"
#include "files/smf_writer.h"
#include "program/program.h"
#include "tests/files/file_test_util.h"

namespace qz {
namespace {

using test::Bytes;
using test::Fixture;
using test::smfFile;
using test::Track;

int load(AppState& app, const Bytes& b, const char* name = "T") {
    return loadMidiImage(app, b.data(), b.size(), name, "");
}

TEST(SmfReaderTiming, CarryMakesAbsoluteTimesExact) {
    Fixture f;
    Track t;
    t.ev(240, {0xB0, 1, 1}).ev(1, {0xB0, 1, 2}).ev(1, {0xB0, 1, 3}).ev(1, {0xB0, 1, 4}).ev(2, {0xB0, 1, 5});
    t.ev(4799, {0xB0, 1, 6}).end();
    ASSERT_EQ(load(*f, smfFile(0, 480, {t})), 0);
    auto ev = test::eventsOf(f.slot(1));
    ASSERT_EQ(ev.size(), 6u);
    const int32_t want[] = {48, 48, 48, 48, 49, 48 + 1 + 959};  // 245 + 4799 = 5044 -> 1008 (carry 432)
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ev[size_t(i)].time, want[i]) << "event " << i;
}

TEST(SmfReaderTiming, TimeCodeDivisionCountsRealTime) {
    // 25 frames of 40 ticks: 1000 file ticks a second, 192 of ours at 120.0.
    Fixture f;
    Track t;
    t.tempo(0, 250000).ev(1000, {0x90, 60, 100}).ev(500, {0x80, 60, 0}).end();
    ASSERT_EQ(load(*f, smfFile(0, 0xE728, {t})), 0);
    auto ev = test::eventsOf(f.slot(1));
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].time, 192);
    EXPECT_EQ(ev[0].value, 96u);
    EXPECT_EQ(f.slot(1)->tempoX10, 1200);  // tempo metas do not time such a file
}

TEST(SmfReaderNotes, PairingAndDurations) {
    Fixture f;
    Track t;
    t.ev(0, {0x90, 60, 100})                        // never closed: 12
        .ev(0, {0x91, 61, 90}).ev(0, {0x81, 61, 0})  // closed at its own tick: 1
        .ev(0, {0x92, 62, 80}).ev(10, {0x92, 62, 81})  // a second note-on ends the first
        .ev(20, {0x92, 62, 0})                        // velocity 0 closes the second
        .ev(0, {0x93, 63, 70}).ev(20000, {0x83, 63, 0})  // long note: 9999
        .end();
    ASSERT_EQ(load(*f, smfFile(0, 96, {t})), 0);
    auto ev = test::eventsOf(f.slot(1));
    ASSERT_EQ(ev.size(), 5u);
    struct Want { int32_t time; uint8_t track, note, vel; uint32_t dur; };
    const Want want[] = {{0, 1, 60, 100, 12}, {0, 2, 61, 90, 1}, {0, 3, 62, 80, 10}, {10, 3, 62, 81, 20},
                         {30, 4, 63, 70, 9999}};
    for (int i = 0; i < 5; ++i) {
        const SeqEvent& e = ev[size_t(i)];
        EXPECT_EQ(e.time, want[i].time) << i;
        EXPECT_EQ(e.track, want[i].track) << i;
        EXPECT_EQ(e.status, ST_NOTE) << i;
        EXPECT_EQ(e.data1, want[i].note) << i;
        EXPECT_EQ(e.data2, want[i].vel) << i;
        EXPECT_EQ(e.value, want[i].dur) << i;
    }
    const Sequence* s = f.slot(1);
    EXPECT_EQ(s->bars, 53u);  // 20030 ticks
    for (int tr = 1; tr <= 16; ++tr) EXPECT_EQ(s->tracks[tr].used, tr <= 4 ? 1 : 0) << tr;
}

TEST(SmfReaderTempo, FirstSetsSequenceLaterAreEventsZeroSkipped) {
    Fixture f;
    Track conductor;
    conductor.tempo(0, 0).tempo(96, 500000).tempo(96, 400000).tempo(0, 100000).end();
    Track notes;
    notes.tempo(0, 300000).ev(0, {0x90, 60, 1}).end(384);
    ASSERT_EQ(load(*f, smfFile(1, 96, {conductor, notes})), 0);
    const Sequence* s = f.slot(1);
    EXPECT_EQ(s->tempoX10, 1200);  // the first real tempo, at tick 96
    auto ev = test::eventsOf(s);
    ASSERT_EQ(ev.size(), 3u);
    EXPECT_EQ(ev[0].status, ST_NOTE);  // the other chunk's tempo is ignored
    struct Want { uint32_t x10, us; };
    const Want want[] = {{1500, 400000}, {3000, 200000}};  // 600.0 is held to 300.0
    for (int i = 0; i < 2; ++i) {
        const SeqEvent& e = ev[size_t(i) + 1];
        EXPECT_TRUE(isTempoEvent(e)) << i;
        EXPECT_EQ(e.time, 192) << i;
        EXPECT_EQ(e.value, want[i].x10) << i;
        EXPECT_EQ(e.value2, want[i].us) << i;
    }
}

TEST(SmfReaderTracks, FormatZeroAndTwoChunksMapChannelsToTracks) {
    for (int chunks : {1, 2}) {
        Fixture f;
        Track a, b;
        a.ev(0, {0x99, 36, 100}).ev(0, {0xC2, 5}).end();
        b.meta(0, 0x03, "Bass").ev(0, {0xE0, 0, 64}).end();
        Bytes file = chunks == 1 ? smfFile(0, 96, {a}) : smfFile(1, 96, {a, b});
        ASSERT_EQ(load(*f, file), 0);
        const Sequence* s = f.slot(1);
        EXPECT_EQ(s->tracks[10].used, 1);
        EXPECT_EQ(s->tracks[10].type, TRACK_TYPE_DRUM);
        EXPECT_EQ(s->tracks[3].used, 1);
        EXPECT_EQ(s->tracks[3].type, TRACK_TYPE_NOTE);
        EXPECT_EQ(s->tracks[3].program, 5);  // taken into the track defaults
        EXPECT_EQ(s->tracks[1].used, chunks == 2 ? 1 : 0);
        if (chunks == 2) {
            EXPECT_STREQ(s->tracks[1].name, "Bass");
        }
    }
}

TEST(SmfReaderTracks, ManyChunksGoToTracksByChunk) {
    Fixture f;
    std::vector<Track> chunks(20);
    chunks[0].ev(0, {0x90, 1, 1}).end();  // no track left for the first chunk's events: track 0
    for (int k = 1; k < 20; ++k) chunks[size_t(k)].ev(uint32_t(k), {uint8_t(0x90 | (k % 16)), 60, 100}).end();
    chunks[1].body.clear();
    chunks[1].meta(0, 0x03, std::string("Ab\x01" "defghijklmnopqrstu", 20)).ev(1, {0x95, 60, 1}).ev(0, {0x94, 61, 1}).end();
    chunks[9].body.clear();
    chunks[9].ev(9, {0x99, 36, 1}).end();
    ASSERT_EQ(load(*f, smfFile(1, 96, chunks)), 0);
    const Sequence* s = f.slot(1);
    EXPECT_STREQ(s->tracks[1].name, "Ab*defghijklmnop");
    EXPECT_EQ(s->tracks[1].channel, 4);  // lowest channel of the chunk
    EXPECT_EQ(s->tracks[9].type, TRACK_TYPE_DRUM);
    EXPECT_EQ(s->tracks[9].channel, 9);
    int perTrack[21] = {};
    for (const SeqEvent& e : test::eventsOf(s)) ++perTrack[e.track];
    EXPECT_EQ(perTrack[0], 1);
    EXPECT_EQ(perTrack[1], 2);
    for (int k = 2; k <= 16; ++k) EXPECT_EQ(perTrack[k], 1) << k;
    EXPECT_EQ(perTrack[17] + perTrack[18] + perTrack[19], 0);  // chunks after the seventeenth are not read
    for (int k = 1; k <= 16; ++k) EXPECT_EQ(s->tracks[k].used, 1) << k;
}

TEST(SmfReaderTracks, FirstChunkNotesGoToAFreeTrack) {
    // Some writers keep a part in the first chunk of a multi-chunk file; the
    // first track no chunk filled follows the chunks the file holds, also
    // when its header promises more.
    for (int promised : {4, 20}) {
        Fixture f;
        std::vector<Track> chunks(4);
        chunks[0].ev(0, {0x92, 50, 90}).ev(10, {0x82, 50, 0}).ev(0, {0xB2, 7, 80}).end();
        for (int k = 1; k < 4; ++k)
            chunks[size_t(k)].ev(0, {uint8_t(0x90 | k), 60, 100}).ev(5, {uint8_t(0x80 | k), 60, 0}).end();
        ASSERT_EQ(load(*f, smfFile(1, 96, chunks, promised)), 0);
        const Sequence* s = f.slot(1);
        int perTrack[21] = {};
        for (int32_t i = 0; i < s->eventCount; ++i) ++perTrack[seqEvents(s)[i].track];
        EXPECT_EQ(perTrack[0], 0) << promised;
        EXPECT_EQ(perTrack[4], 2) << promised;  // the note and the controller
        EXPECT_EQ(s->tracks[4].used, 1) << promised;
        EXPECT_EQ(s->tracks[4].channel, 2) << promised;
        EXPECT_EQ(s->tracks[4].volume, 80) << promised;
    }
}

TEST(SmfReaderModule, GsAndXgSysex) {
    for (uint8_t maker : {uint8_t(0x41), uint8_t(0x43), uint8_t(0x7E)}) {
        Fixture f;
        Track t;
        t.ev(0, {0xF0, 4, maker, 0x10, 0x42, 0xF7}).end();
        ASSERT_EQ(load(*f, smfFile(0, 96, {t})), 0);
        EXPECT_EQ(f.slot(1)->moduleMode, maker == 0x41 ? MODULE_GS : maker == 0x43 ? MODULE_XG : MODULE_NONE);
    }
}

// Broken files: each either loads what the format allows or is refused,
// and a refusal leaves every slot as it was.
TEST(SmfReaderBroken, RefusedFilesChangeNoSlot) {
    Track ok;
    ok.ev(0, {0x90, 60, 1}).end();
    Bytes division0 = smfFile(0, 0, {ok});
    Bytes format2 = smfFile(2, 96, {ok});
    Bytes notMidi = smfFile(0, 96, {ok});
    notMidi[0] = 'X';
    Bytes foreignChunk = smfFile(1, 96, {ok, ok});
    std::memcpy(&foreignChunk[22 + ok.body.size()], "XFIH", 4);
    Bytes zeroFrames = smfFile(0, 0xE700, {ok});
    Bytes tooShort = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0};
    for (const Bytes* b : {&division0, &format2, &notMidi, &foreignChunk, &zeroFrames, &tooShort}) {
        Fixture f;
        EXPECT_EQ(load(*f, *b), ERR_MID_BROKEN);
        EXPECT_EQ((*f).lastSlot, 0);
        EXPECT_EQ(f.slot(1), nullptr);
    }
}

TEST(SmfReaderBroken, DamagedFilesLoadWhatIsThere) {
    struct Case {
        const char* what;
        Bytes file;
        size_t events;
    };
    std::vector<Case> cases;
    {
        Track t;
        t.ev(0, {0x90, 60, 1}).ev(0, {0x90, 62, 1});
        Bytes b = smfFile(1, 96, {t});
        b[21] = 0xFF;  // chunk length far past the end of the file
        cases.push_back({"chunk length past the end", b, 2});
    }
    {
        Track t;
        t.ev(0, {0x90, 60, 1}).end();
        cases.push_back({"header promises more chunks", smfFile(1, 96, {t, t}, 9), 2});
    }
    {
        Track t;
        t.ev(0, {0x90, 60, 1});
        t.body.insert(t.body.end(), 64, 0xFF);  // a delta time that never ends
        cases.push_back({"endless delta", smfFile(0, 96, {t}), 1});
    }
    {
        Track t;
        t.ev(0, {0x90, 60, 1}).ev(0, {0xFF, 0x01, 0x8F, 0xFF, 0xFF, 0x7F, 'a'});
        cases.push_back({"meta length past the end", smfFile(0, 96, {t}), 1});
    }
    {
        Track first, second;
        first.ev(0, {0x90, 60, 1});  // no End of Track: the next chunks are still read
        second.ev(5, {0x90, 61, 1}).end();
        cases.push_back({"first chunk without End of Track", smfFile(1, 96, {first, second}), 2});
    }
    {
        Track t;
        t.ev(0, {0x40, 1}).ev(0, {0x90, 0x90, 1}).ev(0, {0x90, 60, 0xF7}).ev(0, {0x90, 61, 1}).end();
        cases.push_back({"data bytes out of place", smfFile(0, 96, {t}), SIZE_MAX});
    }
    {
        // System messages in a file take their own data bytes, no more.
        Track t;
        t.ev(0, {0xF8}).ev(0, {0x90, 60, 1}).ev(0, {0xF2, 0x7F, 0x7F}).ev(0, {0x90, 62, 1}).ev(0, {0xF3, 1});
        t.ev(0, {0xFE}).ev(0, {0x90, 64, 1}).end();
        cases.push_back({"system messages", smfFile(0, 96, {t}), 3});
    }
    for (const Case& c : cases) {
        Fixture f;
        ASSERT_EQ(load(*f, c.file), 0) << c.what;
        if (c.events != SIZE_MAX) {
            EXPECT_EQ(size_t(f.slot(1)->eventCount), c.events) << c.what;
        }
        for (const SeqEvent& e : test::eventsOf(f.slot(1))) EXPECT_LT(e.data1, 128) << c.what;
    }
}

// A data byte of 0x80 or more is held to 127, and the event keeps the
// bytes its status gives it, so the events after it keep their time.
TEST(SmfReaderBroken, OutOfRangeDataBytesAreHeldTo127) {
    Fixture f;
    Track t;
    t.ev(0, {0x90, 0x90, 1}).ev(10, {0x90, 60, 0xF7}).ev(10, {0xD0, 0xC5}).ev(10, {0xB0, 0x87, 0x80});
    t.ev(10, {0x90, 61, 1}).end();
    ASSERT_EQ(load(*f, smfFile(0, 96, {t})), 0);
    struct Want {
        int32_t time;
        uint8_t status, d1, d2;
    } want[] = {{0, ST_NOTE, 127, 1}, {10, ST_NOTE, 60, 127}, {20, ST_CHANNEL_PRESSURE, 127, 0},
                {30, ST_CONTROL, 127, 127}, {40, ST_NOTE, 61, 1}};
    auto ev = test::eventsOf(f.slot(1));
    ASSERT_EQ(ev.size(), std::size(want));
    for (size_t i = 0; i < ev.size(); ++i) {
        EXPECT_EQ(ev[i].time, want[i].time) << i;
        EXPECT_EQ(ev[i].status, want[i].status) << i;
        EXPECT_EQ(ev[i].data1, want[i].d1) << i;
        EXPECT_EQ(ev[i].data2, want[i].d2) << i;
    }
}

// Nothing starts at the end of bar 999, where it could not sound; a
// note-off there still ends its note, and the sequence saves and reloads
// as it was.
TEST(SmfReaderLimits, EventsStartBeforeTheLastBarEnds) {
    constexpr int32_t END = 999 * 384;
    Fixture f;
    Track t;
    t.ev(END - 100, {0x90, 60, 100}).ev(100, {0x80, 60, 0}).ev(0, {0x90, 62, 100}).ev(0, {0xB0, 7, 1});
    t.ev(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}).ev(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}).end();
    ASSERT_EQ(load(*f, smfFile(0, 96, {t})), 0);
    EXPECT_EQ(f.slot(1)->bars, 999u);
    std::vector<uint8_t> image;
    ASSERT_EQ(encodeSequence(f.slot(1), image), 0);
    ASSERT_EQ(loadMidiImage(*f, image.data(), image.size(), "Again", ""), 0);
    for (int slot : {1, 2}) {
        auto ev = test::eventsOf(f.slot(slot));
        ASSERT_EQ(ev.size(), 1u) << slot;
        EXPECT_EQ(ev[0].time, END - 100) << slot;
        EXPECT_EQ(ev[0].value, 100u) << slot;
    }
}

TEST(SmfReaderLimits, BarsHeldTo999AndLargeFilesGrow) {
    {
        Fixture f;
        Track a, b, c;
        a.end();
        b.ev(0, {0x90, 60, 1}).end();
        c.ev(0, {0x90, 61, 1}).ev(999 * 384 - 10, {0xB0, 7, 1}).ev(100, {0xB0, 7, 2}).end();
        ASSERT_EQ(load(*f, smfFile(1, 96, {a, b, c})), 0);
        EXPECT_EQ(f.slot(1)->bars, 999u);
        for (const SeqEvent& e : test::eventsOf(f.slot(1))) EXPECT_LE(e.time, 999 * 384);
    }
    {
        // More events than the old fixed 1 MB parse region could hold.
        Fixture f;
        Track t;
        for (int i = 0; i < 70000; ++i) t.ev(1, {0xB0, 7, uint8_t(i & 0x7F)});
        t.end();
        ASSERT_EQ(load(*f, smfFile(0, 96, {t})), 0);
        EXPECT_EQ(f.slot(1)->eventCount, 70000);
        EXPECT_GE(seqEventRoom(f.slot(1)), 70000);
    }
    {
        Fixture f;
        Track t;
        t.end();
        ASSERT_EQ(load(*f, smfFile(0, 96, {t})), 0);
        EXPECT_EQ(f.slot(1)->bars, 1u);  // an empty file still has one bar
    }
}

TEST(SmfReaderSlots, FullStoreAndNames) {
    Fixture f;
    Track t;
    t.end();
    Bytes b = smfFile(0, 96, {t});
    ASSERT_EQ(loadMidiImage(*f, b.data(), b.size(), nullptr, "/x/my.song.mid"), 0);
    EXPECT_STREQ(f.slot(1)->name, "my");
    ASSERT_EQ(loadMidiImage(*f, b.data(), b.size(), nullptr, "Verylongfilename123.mid"), 0);
    EXPECT_STREQ(f.slot(2)->name, "Verylongfilename");
    EXPECT_EQ((*f).currentSlot, 2);
    for (int s = 3; s <= MAX_SLOTS; ++s) ASSERT_EQ(load(*f, b), 0);
    EXPECT_EQ(load(*f, b), ERR_ROOM_FULL);
    EXPECT_EQ(loadMidiFile(*f, "/nonexistent/file.mid", nullptr), ERR_ROOM_FULL);
    Fixture g;
    EXPECT_EQ(loadMidiFile(*g, "/nonexistent/file.mid", nullptr), ERR_FILE_OPEN);
}

// Files of another reader's invalid set with velocities of 0x80 and more:
// notes and length as an independent reader that holds such values to 127
// sees them.
TEST(SmfReaderRealFiles, OutOfRangeVelocitiesKeepTheTiming) {
    struct Case {
        const char* file;
        size_t notes;
        int32_t lastNote;
        uint32_t bars;
    } cases[] = {{"exodus05.mid", 18, 1200, 4}, {"shoop3.mid", 24, 1680, 5}, {"stair2.mid", 27, 1296, 4}};
    for (const Case& c : cases) {
        Fixture f;
        const std::string dir = QZ_TESTDATA "/midi/drywetmidi-invalid/Invalid-Channel-Event-Parameter-Value/";
        ASSERT_EQ(loadMidiFile(*f, dir + c.file, nullptr), 0) << c.file;
        auto ev = test::eventsOf(f.slot(1));
        ASSERT_EQ(ev.size(), c.notes) << c.file;
        EXPECT_EQ(ev.back().time, c.lastNote) << c.file;
        EXPECT_EQ(f.slot(1)->bars, c.bars) << c.file;
    }
}

// Every real file loads or is refused with an error number; what loads
// keeps the store's invariants.
TEST(SmfReaderRealFiles, EveryTestFileLoadsOrIsRefused) {
    int loaded = 0, refused = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(QZ_TESTDATA "/midi")) {
        if (!entry.is_regular_file()) continue;
        Fixture f;
        const std::string path = entry.path().string();
        const int rc = loadMidiFile(*f, path, nullptr);
        if (rc != 0) {
            EXPECT_TRUE(rc == ERR_MID_BROKEN || rc == ERR_NO_MEMORY) << path << " gave " << rc;
            EXPECT_EQ(f.slot(1), nullptr) << path;
            ++refused;
            continue;
        }
        ++loaded;
        const Sequence* s = f.slot(1);
        ASSERT_NE(s, nullptr) << path;
        EXPECT_GE(s->bars, 1u) << path;
        EXPECT_LE(s->bars, 999u) << path;
        EXPECT_LE(s->eventCount, seqEventRoom(s)) << path;
        int32_t last = 0;
        for (const SeqEvent& e : test::eventsOf(s)) {
            ASSERT_GE(e.time, last) << path;
            last = e.time;
            if (isTempoEvent(e)) {
                EXPECT_GE(e.value, 300u) << path;
                EXPECT_LE(e.value, 3000u) << path;
                continue;
            }
            EXPECT_LE(e.track, 16) << path;
            EXPECT_LT(e.data1, 128) << path;
            EXPECT_LT(e.data2, 128) << path;
            if (e.status == ST_NOTE) {
                EXPECT_GE(e.value, 1u) << path;
                EXPECT_LE(e.value, 9999u) << path;
            }
        }
    }
    EXPECT_GE(loaded, 120);
    EXPECT_GE(refused, 15);
}

}  // namespace
}  // namespace qz
