// The MIDI file writer: its templates byte for byte, note-off order, tempo
// limits, safe saving, and save-then-load of every real test file.
#include "files/smf_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "files/file_common.h"
#include "files/smf_reader.h"
#include "program/program.h"
#include "song/persistent_settings.h"
#include "tests/files/file_test_util.h"

namespace qz {
namespace {

using test::Bytes;
using test::Fixture;

// A sequence in slot 1 of the fixture, made by the store.
Sequence* newSequence(Fixture& f) {
    Sequence* s = createSequence(*f, 1);
    EXPECT_NE(s, nullptr);
    return s;
}

uint32_t be32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

TEST(SmfWriterLayout, EmptySequenceTemplatesByteForByte) {
    Fixture f;
    Sequence* s = newSequence(f);
    copyName(s->tracks[1].name, "Strings");
    copyName(s->tracks[2].name, "Bass");
    s->tracks[2].used = 1;
    s->tracks[2].type = TRACK_TYPE_NOTE;
    s->tracks[2].channel = 11;
    s->tracks[2].volume = 0x7F;
    s->tracks[2].noteMap[127] = 0x2A;
    Bytes out;
    ASSERT_EQ(encodeSequence(s, out), 0);

    const uint8_t head[82] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 0x11, 0, 0x60, 'M', 'T', 'r', 'k', 0, 0, 0, 65,
                              0, 0xFF, 0x01, 0x20, 'Q', 'Z', 'S', 'E', 'Q', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                              ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                              ' ', ' ', 0, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0, 0xFF, 0x54, 0x05, 0, 0, 0, 0,
                              0, 0, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08};
    ASSERT_GE(out.size(), 87u);
    EXPECT_EQ(0, std::memcmp(out.data(), head, sizeof head));
    // The conductor ends at tick 768 (two bars).
    const uint8_t tail[5] = {0x86, 0x00, 0xFF, 0x2F, 0x00};
    EXPECT_EQ(0, std::memcmp(out.data() + 82, tail, 5));
    ASSERT_EQ(out.size(), 87u + 16 * 357u);

    for (int t = 1; t <= 16; ++t) {
        const size_t at = 87 + size_t(t - 1) * 357;
        EXPECT_EQ(0, std::memcmp(&out[at], "MTrk", 4)) << t;
        EXPECT_EQ(be32(out, at + 4), 349u) << t;
        const uint8_t nameMeta[4] = {0, 0xFF, 0x03, 0x10};
        EXPECT_EQ(0, std::memcmp(&out[at + 8], nameMeta, 4)) << t;
        const uint8_t textMeta[5] = {0, 0xFF, 0x01, 0x82, 0x40};
        EXPECT_EQ(0, std::memcmp(&out[at + 28], textMeta, 5)) << t;
        const uint8_t eot[4] = {0, 0xFF, 0x2F, 0};
        EXPECT_EQ(0, std::memcmp(&out[at + 353], eot, 4)) << t;
    }
    const size_t t2 = 87 + 357;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&out[t2 + 12]), 16), "Bass            ");
    const std::string text(reinterpret_cast<const char*>(&out[t2 + 33]), 320);
    EXPECT_EQ(text.substr(0, 26), "01010000" "0B00" "0000" "007F" "4028" "00");
    EXPECT_EQ(text.substr(26, 22), std::string(22, '0'));
    EXPECT_EQ(text.substr(48, 4), "0001");
    EXPECT_EQ(text.substr(302, 2), "2A");
    EXPECT_EQ(text.substr(304), std::string(16, '\0'));
}

// Decode one track chunk's events as (absolute tick, bytes) pairs.
std::vector<std::pair<int64_t, Bytes>> chunkEvents(const Bytes& file, int chunk) {
    size_t at = 14;
    for (int k = 0; k < chunk; ++k) at += 8 + be32(file, at + 4);
    const size_t end = at + 8 + be32(file, at + 4);
    size_t p = at + 8;
    int64_t tick = 0;
    std::vector<std::pair<int64_t, Bytes>> out;
    while (p < end) {
        uint32_t d = 0;
        uint8_t b;
        do {
            b = file[p++];
            d = (d << 7) | (b & 0x7F);
        } while (b & 0x80);
        tick += d;
        Bytes ev;
        const uint8_t st = file[p];
        if (st == 0xFF) {
            const size_t len = file[p + 2] & 0x80 ? 320 : file[p + 2];
            const size_t hdr = file[p + 2] & 0x80 ? 4 : 3;
            ev.assign(file.begin() + std::ptrdiff_t(p), file.begin() + std::ptrdiff_t(p + std::min<size_t>(hdr + len, 8)));
            p += hdr + len;
        } else if (st == 0xF0) {
            const size_t len = file[p + 1];
            ev.assign(file.begin() + std::ptrdiff_t(p), file.begin() + std::ptrdiff_t(p + 2 + len));
            p += 2 + len;
        } else {
            const size_t n = (st & 0xF0) == 0xC0 || (st & 0xF0) == 0xD0 ? 2 : 3;
            ev.assign(file.begin() + std::ptrdiff_t(p), file.begin() + std::ptrdiff_t(p + n));
            p += n;
        }
        out.emplace_back(tick, ev);
    }
    return out;
}

TEST(SmfWriterEvents, NoteOffsTemposAndSysex) {
    Fixture f;
    Sequence* s = newSequence(f);
    AppState& app = *f;
    s->tracks[1].channel = 2;
    insertEvent(app, 0, TEMPO_TRACK, ST_TEMPO, 0, 0, 3000000);  // 20.0: held to 30.0
    insertEvent(app, 384, TEMPO_TRACK, ST_TEMPO, 0, 0, 150000);  // 400.0: held to 300.0
    insertEvent(app, 96, 1, ST_NOTE, 60, 100, 96);   // ends where the next note of its pitch starts
    insertEvent(app, 192, 1, ST_NOTE, 60, 90, 10);
    insertEvent(app, 700, 1, ST_NOTE, 64, 80, 200);  // cut at the sequence end, 768
    insertEvent(app, 200, 1, ST_PITCH_BEND, 0, 64, 0);
    insertEvent(app, 300, 1, ST_PROGRAM, 7, 0, 0);
    // A 13-byte message as a chain of two records.
    const uint8_t msg[13] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0x01, 0x02, 0xF7};
    SeqEvent a{400, 1, ST_SYSEX, 0, 0, 0, 0}, b{400, 1, ST_SYSEX, 0, 0, 0, 0};
    std::memcpy(reinterpret_cast<uint8_t*>(&a) + 6, msg, 10);
    std::memcpy(reinterpret_cast<uint8_t*>(&b) + 6, msg + 10, 3);
    insertEventRecord(app, b);
    insertEventRecord(app, a);  // before b at the same tick
    Bytes out;
    ASSERT_EQ(encodeSequence(app.seq, out), 0);

    auto cond = chunkEvents(out, 0);
    ASSERT_EQ(cond.size(), 7u);
    EXPECT_EQ(cond[4].first, 0);
    EXPECT_EQ(cond[4].second, (Bytes{0xFF, 0x51, 0x03, 0x1E, 0x84, 0x80}));
    EXPECT_EQ(cond[5].first, 384);
    EXPECT_EQ(cond[5].second, (Bytes{0xFF, 0x51, 0x03, 0x03, 0x0D, 0x40}));
    EXPECT_EQ(cond[6].first, 768);

    auto tr = chunkEvents(out, 1);
    std::vector<std::pair<int64_t, Bytes>> want = {
        {96, {0x92, 60, 100}},  {192, {0x82, 60, 64}},  {192, {0x92, 60, 90}}, {200, {0xE2, 0, 64}},
        {202, {0x82, 60, 64}},  {300, {0xC2, 7}},
        {400, Bytes(msg, msg + 13)}, {700, {0x92, 64, 80}}, {768, {0x82, 64, 64}}, {768, {0xFF, 0x2F, 0x00}}};
    want[6].second.insert(want[6].second.begin() + 1, 12);  // length after the F0
    ASSERT_EQ(tr.size(), 2 + want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(tr[i + 2].first, want[i].first) << i;
        EXPECT_EQ(tr[i + 2].second, want[i].second) << i;
    }
}

TEST(SmfWriterEvents, FilesLargerThanOneMegabyteGrowTheBuffer) {
    // 150,000 notes on one track: about 1.5 MB of note-ons and note-offs.
    constexpr int32_t NOTES = 150000;
    Sequence* s = allocSequenceBlock(SEQ_HEADER_SIZE + NOTES * sizeof(SeqEvent));
    ASSERT_NE(s, nullptr);
    buildDefaultSequence(*s, TRACK_TYPE_NOTE);
    s->capacity = SEQ_HEADER_SIZE + NOTES * sizeof(SeqEvent);
    s->bars = 999;
    s->eventCount = NOTES;
    for (int32_t i = 0; i < NOTES; ++i)
        seqEvents(s)[i] = SeqEvent{i * 2, 1, ST_NOTE, uint8_t(i % 128), 100, 1, 0};
    Bytes out;
    ASSERT_EQ(encodeSequence(s, out), 0);
    EXPECT_GT(out.size(), size_t(1) << 20);
    Fixture f;
    ASSERT_EQ(loadMidiImage(*f, out.data(), out.size(), "big", ""), 0);
    EXPECT_EQ(f.slot(1)->eventCount, NOTES);
    freeSequenceBlock(s);
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SmfWriterSave, FailedSaveKeepsFlagsAndOldFile) {
    Fixture f;
    test::TempDir dir;
    Sequence* s = newSequence(f);
    insertEvent(*f, 0, 1, ST_NOTE, 60, 100, 24);
    s->unsaved = 1;
    s->modified = 1;

    EXPECT_EQ(writeMidiFile(dir.file("missing/x.mid"), s), ERR_FILE_OPEN);
    EXPECT_EQ(s->unsaved, 1u);
    EXPECT_EQ(s->modified, 1u);

    // The target cannot be replaced (a folder stands there): nothing is lost.
    std::filesystem::create_directory(dir.file("busy.mid"));
    EXPECT_EQ(writeMidiFile(dir.file("busy.mid"), s), ERR_FILE_SAVE);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("busy.mid")));
    EXPECT_EQ(s->modified, 1u);

    {
        std::ofstream old(dir.file("song.mid"), std::ios::binary);
        old << "old contents";
    }
    ASSERT_EQ(writeMidiFile(dir.file("song.mid"), s), 0);
    EXPECT_EQ(s->unsaved, 0u);
    EXPECT_EQ(s->modified, 0u);
    EXPECT_EQ(readAll(dir.file("song.mid")).substr(0, 4), "MThd");
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path)) files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);  // no temporary file left behind
}

TEST(SmfWriterSave, ChangedSequencesGoToTheFolder) {
    Fixture f;
    test::TempDir dir;
    AppState& app = *f;
    for (int slot = 1; slot <= 3; ++slot) ASSERT_NE(createSequence(app, slot), nullptr);
    app.lastSlot = 3;
    copyName(app.slots[1]->name, "a/b");
    copyName(app.slots[2]->name, "Kept");
    copyName(app.slots[3]->name, "Song.v2");
    app.slots[2]->unsaved = 0;
    app.slots[2]->modified = 0;
    EXPECT_EQ(saveChangedSequences(app, dir.path.string()), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("a_b.mid")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Kept.mid")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("Song.v2")));
    EXPECT_EQ(app.slots[1]->unsaved, 0u);

    app.slots[1]->modified = 1;
    EXPECT_EQ(saveChangedSequences(app, dir.file("nowhere")), ERR_FILE_OPEN);
    EXPECT_EQ(takeError(app), ERR_FILE_OPEN);
    EXPECT_EQ(app.slots[1]->modified, 1u);
}

// The store's content in a form that a save and reload must keep: events on
// tracks 1..16 and tempo events, each note's duration as the file can carry
// it (ending by the sequence end), ordered by tick and track; every track
// setting; names without the padding the writer adds.
std::string canonical(const Sequence* s, bool withDurations) {
    std::string out;
    char line[200];
    std::snprintf(line, sizeof line, "bars=%u tempo=%d\n", s->bars,
                  s->tempoX10 < 300 || s->tempoX10 > 3000 ? 1200 : s->tempoX10);
    out += line;
    for (int t = 1; t <= 16; ++t) {
        const TrackRecord& r = s->tracks[t];
        std::string name(r.name, strnlen(r.name, 16));
        for (char& c : name) c = uint8_t(c) >= 0x80 ? '\0' : c;
        name = name.substr(0, name.find('\0'));
        name = name.substr(0, name.find_last_not_of(' ') + 1);
        std::snprintf(line, sizeof line, "track %d %d %d %d %d %d %d %d %d %d %d %d %d %d %s\n", t, r.used, r.type,
                      r.mute, r.device, r.channel, r.drumPart, r.bankMsb, r.bankLsb, r.program, r.volume, r.pan,
                      r.reverb, r.chorus, name.c_str());
        out += line;
        out.append(reinterpret_cast<const char*>(r.noteMap), 128);
    }
    std::vector<SeqEvent> ev;
    const int64_t length = seqLengthTicks(s);
    for (SeqEvent e : test::eventsOf(s)) {
        if (!isTempoEvent(e) && (e.track < 1 || e.track > 16)) continue;
        if (e.status == ST_NOTE)
            e.value = withDurations ? uint32_t(std::clamp<int64_t>(std::min<int64_t>(e.value, length - e.time), 1, 9999)) : 0;
        ev.push_back(e);
    }
    std::stable_sort(ev.begin(), ev.end(), [](const SeqEvent& a, const SeqEvent& b) {
        return a.time != b.time ? a.time < b.time : (a.track % 18) < (b.track % 18);
    });
    for (const SeqEvent& e : ev) {
        std::snprintf(line, sizeof line, "%d %u %02X %u %u %u %u\n", e.time, e.track, e.status, e.data1, e.data2,
                      e.value, e.value2);
        out += line;
    }
    return out;
}

// A track whose notes of one pitch overlap (sustain folded into durations,
// or several channels merged into one chunk's track) cannot keep those
// durations through one channel's note pairs; everything else still counts.
bool hasOverlappingPitches(const Sequence* s) {
    int64_t endOf[17][128] = {};
    for (const SeqEvent& e : test::eventsOf(s)) {
        if (e.status != ST_NOTE || e.track < 1 || e.track > 16) continue;
        if (endOf[e.track][e.data1] > e.time) return true;
        endOf[e.track][e.data1] = e.time + e.value;
    }
    return false;
}

TEST(SmfWriterRoundTrip, EveryTestFileSurvivesSaveAndLoad) {
    test::TempDir dir;
    int compared = 0, skipped = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(QZ_TESTDATA "/midi")) {
        if (!entry.is_regular_file()) continue;
        Fixture first;
        const std::string path = entry.path().string();
        if (loadMidiFile(*first, path, "x") != 0) continue;
        Sequence* s = first.slot(1);
        const bool overlaps = hasOverlappingPitches(s);
        skipped += overlaps ? 1 : 0;
        const std::string out = dir.file("round.mid");
        ASSERT_EQ(writeMidiFile(out, s), 0) << path;
        Fixture second;
        ASSERT_EQ(loadMidiFile(*second, out, "x"), 0) << path;
        const std::string a = canonical(s, !overlaps), b = canonical(second.slot(1), !overlaps);
        EXPECT_EQ(a, b) << path;
        // And saving the reloaded sequence gives the same bytes again.
        Bytes again1, again2;
        ASSERT_EQ(encodeSequence(second.slot(1), again1), 0);
        Fixture third;
        ASSERT_EQ(loadMidiImage(*third, again1.data(), again1.size(), "x", ""), 0);
        ASSERT_EQ(encodeSequence(third.slot(1), again2), 0);
        if (!overlaps) {
            EXPECT_EQ(again1, again2) << path;
        }
        ++compared;
    }
    EXPECT_GE(compared, 110);
    EXPECT_LE(skipped, 40);  // their durations are not compared
}

}  // namespace
}  // namespace qz
