#include "song/sequence_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "program/program.h"

namespace qz {
namespace {

struct Store : ::testing::Test {
    AppState app;
    void SetUp() override { ASSERT_EQ(initAppState(app), 0); }
    void TearDown() override { freeAppState(app); }

    std::vector<std::string> describe() {
        std::vector<std::string> out;
        for (int32_t i = 0; i < eventCount(app); ++i) {
            const SeqEvent& e = events(app)[i];
            char buf[80];
            std::snprintf(buf, sizeof buf, "%d t%d %02X %d %d v%u", e.time, e.track, e.status, e.data1, e.data2,
                          e.value);
            out.emplace_back(buf);
        }
        return out;
    }
};

TEST_F(Store, EmptySlotShowsDefaultAndFirstEditCreatesNamedSequence) {
    EXPECT_EQ(app.seq, &app.settings.defaultSequence);
    EXPECT_EQ(app.seq->exists, 0u);
    app.currentTrack = 3;
    app.currentSlot = 5;
    pointAtSequence(app, 5);
    ASSERT_EQ(ensureSequence(app), 0);
    ASSERT_NE(app.slots[5], nullptr);
    EXPECT_STREQ(app.seq->name, "Sequence05");
    EXPECT_EQ(app.seq->exists, 1u);
    EXPECT_EQ(app.seq->capacity, SEQ_NEW_BLOCK_SIZE);
    EXPECT_EQ(app.seq->tracks[3].used, 1);
    EXPECT_EQ(app.seq->tracks[16].channel, 15);
    EXPECT_EQ(app.lastSlot, 5);
    // A second call does nothing.
    Sequence* before = app.seq;
    EXPECT_EQ(ensureSequence(app), 0);
    EXPECT_EQ(app.seq, before);
}

TEST_F(Store, LongDefaultNameGetsNoSlotNumber) {
    std::strcpy(app.settings.defaultSequence.name, "ABCDEFGHIJKLMNO");  // 15 characters
    ASSERT_EQ(ensureSequence(app), 0);
    EXPECT_STREQ(app.seq->name, "ABCDEFGHIJKLMNO");
}

TEST_F(Store, InsertKeepsTickOrderAndReplaceRules) {
    ASSERT_EQ(ensureSequence(app), 0);
    struct Step {
        Tick t;
        uint8_t track, status, d1, d2;
        uint32_t value;
    };
    const Step steps[] = {
        {96, 1, ST_NOTE, 60, 100, 24},      {96, 1, ST_NOTE, 62, 90, 24},  // another number: added after
        {96, 1, ST_NOTE, 60, 50, 12},                                       // same note: replaces
        {96, 2, ST_NOTE, 60, 70, 48},                                       // other track: added
        {96, 1, ST_CONTROL, 7, 80, 0},      {96, 1, ST_CONTROL, 10, 64, 0},  // other controller: added
        {96, 1, ST_CONTROL, 7, 81, 0},                                      // same controller: replaces
        {96, 1, ST_PROGRAM, 5, 0, 0},       {96, 1, ST_PROGRAM, 9, 0, 0},  // program replaces program
        {96, 1, ST_PITCH_BEND, 0, 64, 0},   {96, 1, ST_PITCH_BEND, 1, 70, 0},
        {0, 1, ST_NOTE, 36, 100, 10},
        {96, TEMPO_TRACK, ST_TEMPO, 0, 0, 500000},
        {96, TEMPO_TRACK, ST_TEMPO, 0, 0, 400000},  // tempo replaces tempo
    };
    for (const Step& s : steps) ASSERT_GE(insertEvent(app, s.t, s.track, s.status, s.d1, s.d2, s.value), 0);
    std::vector<std::string> want = {
        "0 t1 90 36 100 v10",   "96 t1 90 60 50 v12", "96 t1 90 62 90 v24", "96 t2 90 60 70 v48",
        "96 t1 B0 7 81 v0",     "96 t1 B0 10 64 v0",  "96 t1 C0 9 0 v0",    "96 t1 E0 1 70 v0",
        "96 t18 81 0 0 v1500",
    };
    EXPECT_EQ(describe(), want);
    EXPECT_EQ(events(app)[8].value2, 400000u);
    EXPECT_EQ(app.seq->modified, 1u);

    // A whole record goes before the events of its tick.
    SeqEvent rec{96, 3, ST_NOTE, 40, 1, 5, 0};
    EXPECT_EQ(insertEventRecord(app, rec), 1);
    EXPECT_EQ(describe()[1], "96 t3 90 40 1 v5");
}

TEST_F(Store, TempoEventsAreClampedAndConverted) {
    ASSERT_EQ(ensureSequence(app), 0);
    insertEvent(app, 0, TEMPO_TRACK, ST_TEMPO, 0, 0, 100000);
    insertEvent(app, 10, TEMPO_TRACK, ST_TEMPO, 0, 0, 5000000);
    insertEvent(app, 20, TEMPO_TRACK, ST_TEMPO, 0, 0, 500000);
    const SeqEvent* ev = events(app);
    EXPECT_EQ(ev[0].value, 3000u);
    EXPECT_EQ(ev[0].value2, 200000u);
    EXPECT_EQ(ev[1].value, 300u);
    EXPECT_EQ(ev[1].value2, 2000000u);
    EXPECT_EQ(ev[2].value, 1200u);
}

TEST_F(Store, OpenNoteTakesTickCounterAndCloses) {
    ASSERT_EQ(ensureSequence(app), 0);
    app.engine.tickCounter = 0x80000000u + 100;
    insertEvent(app, 0, 1, ST_NOTE, 60, 100, 0);
    EXPECT_TRUE(isOpenNote(events(app)[0]));
    app.engine.tickCounter = 0x80000000u + 130;
    closeNote(app, 1, 61);  // no such open note: nothing happens
    EXPECT_TRUE(isOpenNote(events(app)[0]));
    closeNote(app, 1, 60);
    EXPECT_EQ(events(app)[0].value, 30u);
    EXPECT_EQ(app.lastDuration, 30);
}

TEST_F(Store, CloseOpenNotesRoundsToTwelve) {
    ASSERT_EQ(ensureSequence(app), 0);
    const uint32_t base = 0x80000000u + 1000;
    const struct {
        uint32_t held;
        uint32_t want;
    } cases[] = {{30, 24}, {5, 12}, {20000, 9996}, {13, 12}, {12, 12}, {25, 24}, {0, 12}};
    for (const auto& c : cases) {
        app.engine.tickCounter = base;
        insertEvent(app, 0, 1, ST_NOTE, uint8_t(60 + (&c - cases)), 100, 0);
        app.engine.tickCounter = base + c.held;
        closeOpenNotes(app);
        EXPECT_EQ(events(app)[eventCount(app) - 1].value, c.want) << "held " << c.held;
    }
}

TEST_F(Store, GrowthPastFirstBlockKeepsEventsAndPlayPointer) {
    ASSERT_EQ(ensureSequence(app), 0);
    for (int i = 0; i < 4096; ++i) ASSERT_GE(insertEvent(app, i, 1, ST_CONTROL, uint8_t(i % 128), 1, 0), 0);
    EXPECT_EQ(app.seq->capacity, SEQ_NEW_BLOCK_SIZE);
    app.engine.position = 2000;
    app.playIndex = 2000;
    ASSERT_GE(insertEvent(app, 5000, 1, ST_NOTE, 60, 100, 24), 0);  // the 4097th
    EXPECT_EQ(app.seq->capacity, SEQ_NEW_BLOCK_SIZE + SEQ_GROWTH_BYTES);
    EXPECT_EQ(app.slots[1], app.seq);
    EXPECT_EQ(eventCount(app), 4097);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(events(app)[i].time, i);
    EXPECT_EQ(events(app)[4096].time, 5000);
    EXPECT_EQ(app.playIndex, 2000);
    // An event inserted before the play pointer keeps it on the same event.
    ASSERT_GE(insertEventRecord(app, SeqEvent{5, 2, ST_NOTE, 1, 1, 1, 0}), 0);
    EXPECT_EQ(app.playIndex, 2001);
    removeEvent(app, 0);
    EXPECT_EQ(app.playIndex, 2000);
    EXPECT_EQ(events(app)[app.playIndex].time, 2000);
}

TEST(StoreNames, TrailingNumberIncrement) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"Sequence01", "Sequence02"},  {"Sequence09", "Sequence010"},   {"Sequence", "Sequence1"},
        {"Seq99", "Seq100"},           {"Seq00", "Seq001"},              {"Take007", "Take008"},
        {"ABCDEFGHIJKLMN99", "ABCDEFGHIJKLM100"},                        {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNO1"},
        {"X123456789", "X123456790"},  {"Seq99999999", "Seq0"},
    };
    for (const auto& c : cases) {
        char name[NAME_FIELD] = {};
        std::strncpy(name, c.in, NAME_FIELD - 1);
        nextNumberedName(name);
        EXPECT_STREQ(name, c.out) << "from " << c.in;
        EXPECT_EQ(name[NAME_FIELD - 1], 0);
    }
}

TEST(StoreNames, CompareWithoutCase) {
    EXPECT_TRUE(sameName("Sequence01", "SEQUENCE01"));
    EXPECT_FALSE(sameName("Sequence01", "Sequence1"));
    char field[NAME_FIELD];
    copyName(field, "A name longer than sixteen");
    EXPECT_STREQ(field, "A name longer th");
}

TEST_F(Store, CopyMakesUniqueNamesAndReportsErrors) {
    EXPECT_EQ(copySequence(app, 1), ERR_PROGRAM);
    ASSERT_EQ(ensureSequence(app), 0);
    insertEvent(app, 0, 1, ST_NOTE, 60, 100, 24);
    app.seq->unsaved = 0;
    ASSERT_EQ(copySequence(app, 1), 0);
    EXPECT_EQ(app.currentSlot, 2);
    EXPECT_STREQ(app.seq->name, "Sequence02");
    EXPECT_EQ(app.seq->unsaved, 1u);
    EXPECT_EQ(eventCount(app), 1);
    // Slot 2's name is taken now, so a copy of slot 1 goes on to 03.
    ASSERT_EQ(copySequence(app, 1), 0);
    EXPECT_STREQ(app.seq->name, "Sequence03");
    EXPECT_EQ(findSlotByName(app, "sequence03"), 3);

    for (int s = 4; s <= MAX_SLOTS; ++s) ASSERT_EQ(copySequence(app, 1), 0) << s;
    EXPECT_EQ(firstFreeSlot(app), 100);
    EXPECT_EQ(copySequence(app, 1), ERR_SEQ_ROOM_FULL);
}

TEST_F(Store, DeletePacksSlotsDown) {
    for (int s = 1; s <= 5; ++s) {
        pointAtSequence(app, s);
        ASSERT_EQ(ensureSequence(app), 0);
    }
    EXPECT_EQ(app.lastSlot, 5);
    deleteSequence(app, 3);
    EXPECT_EQ(app.lastSlot, 4);
    EXPECT_STREQ(app.slots[3]->name, "Sequence04");
    EXPECT_STREQ(app.slots[4]->name, "Sequence05");
    EXPECT_EQ(app.slots[5], nullptr);
    EXPECT_EQ(app.currentSlot, 3);
    deleteSequenceNamed(app, "SEQUENCE01");
    EXPECT_STREQ(app.slots[1]->name, "Sequence02");
    deleteAllSequences(app);
    EXPECT_EQ(app.lastSlot, 0);
    EXPECT_FALSE(anySequence(app));
    EXPECT_EQ(app.seq, &app.settings.defaultSequence);
}

TEST_F(Store, ChangedSequenceNeedsEvents) {
    ASSERT_EQ(ensureSequence(app), 0);
    EXPECT_EQ(anyChangedSequence(app), nullptr);  // unsaved but empty
    insertEvent(app, 0, 1, ST_NOTE, 60, 100, 24);
    ASSERT_NE(anyChangedSequence(app), nullptr);
    EXPECT_STREQ(anyChangedSequence(app), "Sequence01");
    app.seq->unsaved = 0;
    app.seq->modified = 0;
    EXPECT_EQ(anyChangedSequence(app), nullptr);
}

TEST_F(Store, UndoTogglesAndSelectingDropsIt) {
    ASSERT_EQ(ensureSequence(app), 0);
    insertEvent(app, 0, 1, ST_NOTE, 60, 100, 24);
    app.firstBar = 1;
    ASSERT_EQ(snapshotForUndo(app), 0);
    ASSERT_NE(app.undoCopy, nullptr);
    insertEvent(app, 96, 1, ST_NOTE, 62, 100, 24);
    app.firstBar = 0;
    undo(app);
    EXPECT_EQ(eventCount(app), 1);
    EXPECT_EQ(app.firstBar, 1);
    EXPECT_EQ(app.undoCopy, nullptr);
    undo(app);  // the second press restores the edited state
    EXPECT_EQ(eventCount(app), 2);
    EXPECT_NE(app.undoCopy, nullptr);
    undo(app);
    EXPECT_EQ(eventCount(app), 1);
    selectSequence(app, 2);
    EXPECT_EQ(app.undoCopy, nullptr);
    EXPECT_EQ(app.redoCopy, nullptr);
}

TEST_F(Store, DefaultSequenceTakesNoUndoCopy) {
    EXPECT_EQ(snapshotForUndo(app), 0);
    EXPECT_EQ(app.undoCopy, nullptr);
}

TEST_F(Store, SustainPedalFoldsIntoDurations) {
    ASSERT_EQ(ensureSequence(app), 0);
    insertEvent(app, 0, 1, ST_CONTROL, 64, 127, 0);
    insertEvent(app, 10, 1, ST_NOTE, 60, 100, 20);
    insertEvent(app, 20, 1, ST_CONTROL, 64, 90, 0);  // half pedal: still down
    insertEvent(app, 30, 1, ST_NOTE, 62, 100, 500);  // held longer than the pedal
    insertEvent(app, 40, 2, ST_NOTE, 64, 100, 5);    // other track
    insertEvent(app, 100, 1, ST_CONTROL, 64, 0, 0);
    insertEvent(app, 200, 1, ST_NOTE, 65, 100, 7);   // after the pedal
    insertEvent(app, 300, 1, ST_CONTROL, 64, 127, 0);
    insertEvent(app, 310, 1, ST_NOTE, 67, 100, 7);
    insertEvent(app, 20000, 1, ST_CONTROL, 64, 0, 0);
    foldSustainPedal(app.seq);
    std::vector<std::string> want = {"10 t1 90 60 100 v90", "30 t1 90 62 100 v500", "40 t2 90 64 100 v5",
                                     "200 t1 90 65 100 v7", "310 t1 90 67 100 v9999"};
    EXPECT_EQ(describe(), want);
}

TEST_F(Store, TrackDefaultsComeFromFirstTwoBars) {
    ASSERT_EQ(ensureSequence(app), 0);
    insertEvent(app, 0, 2, ST_PROGRAM, 5, 0, 0);
    insertEvent(app, 10, 2, ST_PROGRAM, 6, 0, 0);
    insertEvent(app, 0, 2, ST_CONTROL, 7, 90, 0);
    insertEvent(app, 0, 2, ST_CONTROL, 0, 8, 0);
    insertEvent(app, 0, 2, ST_CONTROL, 32, 3, 0);
    insertEvent(app, 0, 3, ST_CONTROL, 10, 20, 0);
    insertEvent(app, 767, 3, ST_CONTROL, 91, 11, 0);
    insertEvent(app, 768, 3, ST_CONTROL, 93, 99, 0);  // third bar: ignored
    takeTrackDefaults(app.seq);
    const TrackRecord* t = app.seq->tracks;
    EXPECT_EQ(t[2].program, 6);
    EXPECT_EQ(t[2].volume, 90);
    EXPECT_EQ(t[2].bankMsb, 8);
    EXPECT_EQ(t[2].bankLsb, 3);
    EXPECT_EQ(t[3].pan, 20);
    EXPECT_EQ(t[3].reverb, 11);
    EXPECT_EQ(t[3].chorus, 0);
}

TEST_F(Store, TrackMessagesResetAndStoreAsDefault) {
    ASSERT_EQ(ensureSequence(app), 0);
    TrackRecord& t = app.seq->tracks[4];
    t.program = 33;
    t.volume = 1;
    t.noteMap[10] = 99;
    t.noteMute[10] = 1;
    t.channel = 9;
    storeTracksAsDefault(app);
    EXPECT_EQ(app.settings.defaultSequence.tracks[4].program, 33);
    resetTrackMessages(app);
    EXPECT_EQ(t.program, 0);
    EXPECT_EQ(t.volume, 100);
    EXPECT_EQ(t.noteMap[10], 10);
    EXPECT_EQ(t.noteMute[10], 0);
    EXPECT_EQ(t.channel, 9);
    // A new sequence starts from the stored defaults, with its own channels.
    pointAtSequence(app, 2);
    ASSERT_EQ(ensureSequence(app), 0);
    EXPECT_EQ(app.seq->tracks[4].program, 33);
    EXPECT_EQ(app.seq->tracks[4].channel, 3);
}

TEST(StoreLayout, DefaultSettingsAndDefaultSequence) {
    PersistentSettings p;
    setDefaultSettings(p);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&p);
    auto word = [&](size_t off) {
        uint32_t v;
        std::memcpy(&v, bytes + off, 4);
        return v;
    };
    EXPECT_EQ(word(0), 7708u);
    EXPECT_EQ(word(60), 1u);
    EXPECT_EQ(word(64), 3u);
    EXPECT_EQ(word(124), 127u);
    EXPECT_EQ(word(144), 1u);
    EXPECT_EQ(word(184), 2u);
    EXPECT_EQ(word(268 + 4 * 15), 63u);
    EXPECT_EQ(std::memcmp(bytes + 396, "M     ", 6), 0);
    EXPECT_EQ(bytes[396 + 16 * 2 + 8 + 2], 10);  // the "7" chord's minor seventh
    const size_t seq = 1392;
    EXPECT_EQ(word(seq + 0), 6308u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + seq + 20)), "Sequence");
    EXPECT_EQ(word(seq + 52), 2u);
    EXPECT_EQ(word(seq + 60), 1200u);
    const size_t track5 = seq + 64 + 5 * 312;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + track5)), "Track05");
    EXPECT_EQ(bytes[track5 + 45], 4);
    EXPECT_EQ(bytes[track5 + 50], 100);
    EXPECT_EQ(bytes[track5 + 51], 64);
    EXPECT_EQ(bytes[track5 + 52], 40);
    EXPECT_EQ(bytes[track5 + 56 + 77], 77);
}

}  // namespace
}  // namespace qz
