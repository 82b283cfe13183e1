// Loading and saving from the window: drops with the name check, the
// package question, "Load", "Load Folder", "Save a Sequence" and the close
// question, answered by a scripted user.
#include "ui/framework/load_save.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "files/file_common.h"
#include "files/settings_file.h"
#include "files/smf_writer.h"
#include "program/program.h"
#include "tests/files/file_test_util.h"
#include "platform/null/memory_ports.h"
#include "engine/engine.h"
#include "tests/ui/harness.h"
#include "ui/framework/panel.h"

namespace qz {
namespace {

using test::Bytes;
using test::Harness;
using test::TempDir;

void writeFile(const std::string& path, const Bytes& b) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// A small format 0 MIDI file with one note of the given number.
Bytes midiFile(uint8_t note = 60) {
    test::Track t;
    t.tempo(0, 500000).ev(0, {0x90, note, 100}).ev(96, {0x80, note, 0}).end(672);
    return test::smfFile(0, 96, {t});
}

void put32le(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + size_t(i)) = uint8_t(v >> (8 * i));
}

// A pad sampler sequence image (as the reader's tests build it): header,
// bar table, track records, separator, one note and the end record.
Bytes mpcImage(const std::string& head16) {
    Bytes b(7184 + 32, 0);
    put32le(b, 0, uint32_t(b.size()));
    std::memcpy(&b[4], head16.data(), std::min<size_t>(head16.size(), 16));
    b[28] = 2;
    b[32] = uint8_t(1200 & 0xFF);
    b[33] = uint8_t(1200 >> 8);
    for (int bar = 0; bar < 2; ++bar) {
        const uint32_t tick = uint32_t(bar) * 384;
        b[size_t(48 + 4 * bar)] = uint8_t(tick);
        b[size_t(49 + 4 * bar)] = uint8_t(tick >> 8);
        b[size_t(51 + 4 * bar)] = 0x60;
    }
    for (int t = 0; t < 64; ++t) {
        b[size_t(4096 + 48 * t + 35)] = 2;
        b[size_t(4096 + 48 * t + 36)] = 1;
    }
    const uint8_t sep[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF,
                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::memcpy(&b[7168], sep, 16);
    b[7184 + 4] = 1;
    b[7184 + 5] = 0x90;
    b[7184 + 6] = 36;
    b[7184 + 7] = 100;
    put32le(b, 7184 + 8, 24);
    put32le(b, 7200, 0x7FFFFFFF);
    b[7204] = 0xFF;
    b[7205] = 0xFF;
    return b;
}

Bytes mpcPackage(const std::vector<std::string>& names) {
    Bytes b(24 + 24 * 99, 0);
    std::memcpy(&b[4], "MPC1000 ALL 4.40", 16);
    for (size_t i = 0; i < names.size(); ++i) {
        put32le(b, 24 + 24 * i + 20, uint32_t(b.size()));
        Bytes image = mpcImage(names[i] + std::string(1, '\0'));
        b.insert(b.end(), image.begin(), image.end());
    }
    return b;
}

std::vector<std::string> names(AppState& app) {
    std::vector<std::string> out;
    for (int s = 1; s <= MAX_SLOTS && app.slots[s]; ++s) out.emplace_back(app.slots[s]->name);
    return out;
}

struct DropFiles {
    TempDir dir;
    std::string song, seq, txt;
    DropFiles() {
        song = dir.file("Song.Mid");
        seq = dir.file("song.seq");
        txt = dir.file("notes.txt");
        writeFile(song, midiFile());
        writeFile(seq, mpcImage("MPC1000 SEQ 4.40"));
        writeFile(txt, Bytes{'h', 'i'});
    }
    std::vector<std::string> all() const { return {song, seq, txt}; }
};

TEST(DropNameCheck, SongMidSongSeqNotesTxt) {
    DropFiles files;
    struct Case {
        const char* what;
        std::vector<std::pair<int, std::string>> answers;
        std::vector<std::string> loaded;
    } cases[] = {
        {"cancel", {{REPLACE_CANCEL, ""}}, {"Song"}},
        {"replace", {{REPLACE_ONE, ""}}, {"song"}},
        {"rename", {{REPLACE_RENAME, "Song"}, {REPLACE_RENAME, "Song 2"}}, {"Song", "Song 2"}},
    };
    for (const Case& c : cases) {
        Harness h;
        h.user.renameAnswers.assign(c.answers.begin(), c.answers.end());
        onFilesDropped(*h, files.all());
        EXPECT_EQ(names(*h), c.loaded) << c.what;
        const auto asked = h.user.of("rename");
        ASSERT_EQ(asked.size(), c.answers.size()) << c.what;  // a taken rename asks again
        EXPECT_EQ(asked[0].text, "<< Sequence name already exists >>");
        EXPECT_EQ(asked[0].after, std::vector<std::string>{"song"});
        EXPECT_TRUE(h.user.of("box").empty()) << c.what;  // nothing of a drop is reported
        EXPECT_FALSE(h.user.ranOut) << c.what;
        EXPECT_EQ(h.user.cursors.front(), CURSOR_BUSY);
        EXPECT_EQ(h.user.cursors.back(), CURSOR_ARROW);
        EXPECT_EQ(h.app->undoCopy, nullptr);
    }
}

TEST(DropNameCheck, CancelEndsTheDropAndAllReplaceLastsUntilTheNextDrop) {
    TempDir dir;
    const std::string a = dir.file("a.mid"), b = dir.file("B.mid"), c = dir.file("c.mid");
    for (const auto& p : {a, b, c}) writeFile(p, midiFile());
    Harness h;
    onFilesDropped(*h, {a, b});
    ASSERT_EQ(names(*h), (std::vector<std::string>{"a", "B"}));

    // Cancelling the second of three files keeps the first and skips the third.
    h.user.renameAnswers = {{REPLACE_CANCEL, ""}};
    onFilesDropped(*h, {c, dir.file("b.mid"), a});
    EXPECT_EQ(names(*h), (std::vector<std::string>{"a", "B", "c"}));
    EXPECT_EQ(h.user.of("rename").size(), 1u);

    // ALL Replace: the first conflict asks, later ones of this drop and of a
    // later "Load" do not.
    h.user.renameAnswers = {{REPLACE_ALL, ""}};
    onFilesDropped(*h, {a, b});
    EXPECT_EQ(h.user.of("rename").size(), 2u);
    EXPECT_EQ(names(*h), (std::vector<std::string>{"c", "a", "B"}));
    h.user.pathAnswers = {c};
    loadFileDialog(*h);
    EXPECT_EQ(h.user.of("rename").size(), 2u);
    EXPECT_EQ(names(*h), (std::vector<std::string>{"a", "B", "c"}));
    // The next drop asks again.
    h.user.renameAnswers = {{REPLACE_CANCEL, ""}};
    onFilesDropped(*h, {c});
    EXPECT_EQ(h.user.of("rename").size(), 3u);
}

TEST(DropFailures, BrokenFilesLeaveNoSequenceAndSayNothing) {
    TempDir dir;
    // A chunk that is not a track chunk where the first one must be.
    Bytes cut = midiFile();
    cut[14] = 'X';
    const std::string broken = dir.file("broken.mid");
    writeFile(broken, cut);
    writeFile(dir.file("bad.seq"), Bytes(100, 0x55));
    writeFile(dir.file("good.mid"), midiFile());
    Harness h;
    onFilesDropped(*h, {broken, dir.file("bad.seq"), dir.file("missing.mid"), dir.file("good.mid")});
    EXPECT_EQ(names(*h), std::vector<std::string>{"good"});
    EXPECT_TRUE(h.user.of("box").empty());
    EXPECT_EQ(takeError(*h), 0);

    // The same file by "Load" is reported, and no slot holds a half sequence.
    h.user.pathAnswers = {broken};
    loadFileDialog(*h);
    ASSERT_EQ(h.user.of("box").size(), 1u);
    EXPECT_EQ(h.user.of("box")[0].text, "This MID file has bloken !!");
    EXPECT_EQ(names(*h), std::vector<std::string>{"good"});
    EXPECT_EQ(h.app->loader.loadFolder, dir.path.string());
}

TEST(DropFailures, ReplacingWithAnUnreadableFileKeepsWhatWasThere) {
    TempDir dir;
    writeFile(dir.file("Song.mid"), midiFile());
    std::filesystem::create_directories(dir.path / "bad");
    Bytes broken = midiFile();
    broken[0] = 'X';
    writeFile(dir.file("bad/song.mid"), broken);
    writeFile(dir.file("bad/set.all"), Bytes(3000, 0x11));
    Harness h;
    onFilesDropped(*h, {dir.file("Song.mid")});
    h.user.renameAnswers = {{REPLACE_ONE, ""}};
    h.user.boxAnswers = {ANSWER_OK};
    onFilesDropped(*h, {dir.file("bad/song.mid"), dir.file("bad/set.all")});
    EXPECT_EQ(h.user.of("rename").size(), 1u);
    EXPECT_EQ(h.user.of("box").size(), 1u);  // the package question, and OK
    EXPECT_EQ(names(*h), std::vector<std::string>{"Song"});
    EXPECT_EQ(h.app->slots[1]->eventCount, 1);
}

TEST(DropPackage, AsksBeforeReplacingEverything) {
    TempDir dir;
    writeFile(dir.file("set.ALL"), mpcPackage({"INTRO", "VERSE"}));
    writeFile(dir.file("x.mid"), midiFile());
    Harness h;
    onFilesDropped(*h, {dir.file("x.mid")});
    h.user.boxAnswers = {ANSWER_CANCEL};
    onFilesDropped(*h, {dir.file("set.ALL"), dir.file("x.mid")});
    ASSERT_EQ(h.user.of("box").size(), 1u);
    EXPECT_EQ(h.user.of("box")[0].title, "Load MPC Sequnces package file.");
    EXPECT_EQ(h.user.of("box")[0].text, "[OK] Will replace All existing sequence !!");
    EXPECT_EQ(names(*h), std::vector<std::string>{"x"});  // and the rest of the drop was skipped
    EXPECT_TRUE(h.user.of("rename").empty());
    h.user.boxAnswers = {ANSWER_OK};
    onFilesDropped(*h, {dir.file("set.ALL")});
    EXPECT_EQ(names(*h), (std::vector<std::string>{"INTRO", "VERSE"}));
}

// ALL TRACKS after a load: on for a file of another program, off for one of
// ours, and held off in track mute mode, also when the file replaces a
// sequence of its name.
TEST(DropAllTracks, OnForOtherProgramsFilesOffInTrackMuteMode) {
    TempDir dir;
    writeFile(dir.file("a.mid"), midiFile());
    {
        Harness w;
        ASSERT_EQ(writeMidiFile(dir.file("own.mid"), w.sequenceWithNotes(1, "Own", {0})), 0);
    }
    struct Case {
        const char* file;
        bool replacing, muteMode, allTracks;
    } cases[] = {{"a.mid", false, false, true}, {"own.mid", false, false, false}, {"a.mid", false, true, false},
                 {"a.mid", true, false, true},  {"a.mid", true, true, false}};
    for (const Case& c : cases) {
        Harness h;
        const std::string what = std::string(c.file) + (c.replacing ? " replacing" : "") + (c.muteMode ? " muted" : "");
        if (c.replacing) {
            onFilesDropped(*h, {dir.file(c.file)});
            h.leftClick(340, 70);  // track 1: ALL TRACKS off
            ASSERT_FALSE(h.app->allTracks) << what;
            h.user.renameAnswers = {{REPLACE_ONE, ""}};
        }
        if (c.muteMode) h.leftClick(1098, 571);  // TRACK MUTE MODE
        ASSERT_EQ(h.app->ui->trackMuteMode, c.muteMode) << what;
        onFilesDropped(*h, {dir.file(c.file)});
        ASSERT_EQ(names(*h).size(), 1u) << what;
        EXPECT_EQ(h.app->allTracks, c.allTracks) << what;
    }
}

TEST(DropFolder, LoadsEveryMidFileWithoutAsking) {
    TempDir dir;
    std::filesystem::create_directories(dir.path / "set");
    writeFile(dir.file("set/a.MID"), midiFile());
    writeFile(dir.file("set/b.midi"), midiFile());
    writeFile(dir.file("set/c.mid"), midiFile());
    writeFile(dir.file("set/d.seq"), mpcImage("MPC1000 SEQ 4.40"));
    Harness h;
    onFilesDropped(*h, {dir.file("set"), dir.file("nowhere"), dir.file("set")});
    auto loaded = names(*h);
    std::sort(loaded.begin(), loaded.end());
    // "nowhere" is not a folder but an unknown file: ignored; the second
    // drop of the folder loads its files again, names and all.
    EXPECT_EQ(loaded, (std::vector<std::string>{"a", "a", "b", "b", "c", "c"}));
    EXPECT_TRUE(h.user.of("rename").empty());

    // The set-ups go out once, for the sequence selected at the end, not
    // once per file: each begins with controller 121 on its channel.
    Harness g;
    MemoryPorts ports;
    initMemoryPorts(ports, &g.app->engine.msClock, 1, 4096);
    g.app->engine.out = memoryPortsOutput(ports);
    g.app->engine.outPortCount = 1;
    g.user.pathAnswers = {dir.file("set")};
    loadFolderDialog(*g);
    while (drainOneQueued(*g)) {
    }
    EXPECT_EQ(names(*g).size(), 3u);
    EXPECT_EQ(g.app->loader.browseFolder, dir.file("set"));
    EXPECT_EQ(g.app->currentSlot, 1);
    const auto resets = std::count_if(ports.log.begin(), ports.log.end(), [](const MemoryPortEntry& e) {
        return (e.bytes[0] & 0xF0) == 0xB0 && e.bytes[1] == 121;
    });
    EXPECT_EQ(resets, 16);
    EXPECT_EQ(g.user.cursors.front(), CURSOR_BUSY);
}

TEST(SaveSequence, WritesTheCurrentSequenceAndRemembersTheFolder) {
    TempDir dir;
    Harness h;
    h.user.pathAnswers = {""};
    saveSequenceDialog(*h);  // empty slot: no dialog at all
    EXPECT_TRUE(h.user.of("save").empty());
    h.sequenceWithNotes(1, "Groove", {0, 96});
    h.app->loader.midiFolder = "/start";
    h.user.pathAnswers = {dir.file("out.mid")};
    saveSequenceDialog(*h);
    ASSERT_EQ(h.user.of("save").size(), 1u);
    EXPECT_EQ(h.user.of("save")[0].title, "Save a sequence as MIDI file");
    EXPECT_EQ(h.user.of("save")[0].text, "/start|Groove.mid");
    EXPECT_TRUE(std::filesystem::exists(dir.file("out.mid")));
    EXPECT_EQ(h.app->loader.midiFolder, dir.path.string());
    EXPECT_EQ(h.app->slots[1]->modified, 0u);
    // Read back through the drop path.
    Harness r;
    onFilesDropped(*r, {dir.file("out.mid")});
    ASSERT_EQ(names(*r), std::vector<std::string>{"out"});
    EXPECT_EQ(r.app->slots[1]->eventCount, 2);

    // A save that cannot happen says so.
    h.user.pathAnswers = {dir.file("no/such/folder/x.mid")};
    saveSequenceDialog(*h);
    ASSERT_EQ(h.user.of("box").size(), 1u);
    EXPECT_EQ(h.user.of("box")[0].text, "Can not file open !!");
}

TEST(CloseQuestion, NamesTheFirstChangedSequenceAndSavesOnYes) {
    TempDir dir;
    Harness h;
    h.app->loader.programFolder = dir.path.string();
    h.app->loader.settingsPath = dir.file(SETTINGS_FILE_NAME);
    h.app->loader.midiFolder = dir.path.string();
    EXPECT_TRUE(closeRequested(*h));  // nothing changed: no question
    EXPECT_TRUE(h.user.of("box").empty());
    EXPECT_TRUE(std::filesystem::exists(dir.file(SETTINGS_FILE_NAME)));

    h.sequenceWithNotes(1, "Intro", {});  // no events: not asked about
    h.sequenceWithNotes(2, "Verse", {0});
    h.sequenceWithNotes(3, "Chorus", {0});
    h.user.boxAnswers = {ANSWER_CANCEL, ANSWER_CLOSED, ANSWER_NO, ANSWER_YES};
    EXPECT_FALSE(closeRequested(*h));
    EXPECT_FALSE(closeRequested(*h));  // a box closed from its frame keeps running too
    EXPECT_TRUE(closeRequested(*h));
    auto boxes = h.user.of("box");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].title, "Save");
    EXPECT_EQ(boxes[0].text, "Save Changes to Verse ?\n(" + dir.path.string() + ")");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Verse.mid")));
    EXPECT_TRUE(closeRequested(*h));
    EXPECT_TRUE(std::filesystem::exists(dir.file("Verse.mid")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("Chorus.mid")));
    EXPECT_EQ(anyChangedSequence(*h), nullptr);
    EXPECT_FALSE(h.user.ranOut);
}

TEST(CloseQuestion, AFailedSaveKeepsTheWindowOpen) {
    TempDir dir;
    Harness h;
    h.app->loader.programFolder = dir.path.string();
    h.app->loader.settingsPath = dir.file(SETTINGS_FILE_NAME);
    h.app->loader.midiFolder = dir.file("gone");
    h.sequenceWithNotes(1, "Verse", {0});
    h.user.boxAnswers = {ANSWER_YES, ANSWER_OK, ANSWER_NO};
    EXPECT_FALSE(closeRequested(*h));
    const auto boxes = h.user.of("box");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Can not file open !!");
    EXPECT_NE(anyChangedSequence(*h), nullptr);  // still there to be saved
    EXPECT_TRUE(closeRequested(*h));  // No closes
    EXPECT_FALSE(h.user.ranOut);
}

}  // namespace
}  // namespace qz
