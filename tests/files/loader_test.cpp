// The loading front end's dispatch by extension, folder loading, and the
// dump text the command-line tool prints.
#include "program/loader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "files/file_common.h"
#include "files/smf_reader.h"
#include "program/program.h"
#include "tests/files/file_test_util.h"

namespace qz {
namespace {

using test::Fixture;

int loadMidiFileForTest(AppState& app, const test::Bytes& b) {
    return loadMidiImage(app, b.data(), b.size(), "Demo", "");
}

TEST(LoaderDispatch, FirstFourCharactersOfTheLastExtension) {
    struct Case { const char* path; int kind; };
    const Case cases[] = {{"Song.Mid", FILE_KIND_MID}, {"b.midi", FILE_KIND_MID}, {"my.song.mid", FILE_KIND_MID},
                          {"song.seq", FILE_KIND_SEQ}, {"PACK.ALL", FILE_KIND_ALL}, {"notes.txt", FILE_KIND_NONE},
                          {"dir.mid/file", FILE_KIND_NONE}, {"noext", FILE_KIND_NONE}, {"x.mi", FILE_KIND_NONE},
                          {"C:\\music\\a.MID", FILE_KIND_MID}};
    for (const Case& c : cases) EXPECT_EQ(fileKindOf(c.path), c.kind) << c.path;

    char name[17];
    deriveSequenceName("/a/b.c/my.song.mid", name);
    EXPECT_STREQ(name, "my");
    deriveSequenceName("Verylongfilename123.mid", name);
    EXPECT_STREQ(name, "Verylongfilename");
}

TEST(LoaderFolder, LoadsEveryMidiFileByItsName) {
    test::TempDir dir;
    test::Track t;
    t.ev(0, {0x90, 60, 100}).end(96);
    const test::Bytes file = test::smfFile(0, 96, {t});
    for (const char* n : {"a.MID", "b.midi", "c.mid", "notes.txt", "d.seq"}) {
        std::ofstream out(dir.file(n), std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    }
    std::filesystem::create_directory(dir.file("sub.mid"));
    Fixture f;
    ASSERT_EQ(loadFolder(*f, dir.path.string()), 0);
    std::vector<std::string> names;
    for (int s = 1; s <= 4; ++s)
        if (f.slot(s)) names.push_back(f.slot(s)->name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ((*f).currentSlot, 1);
    EXPECT_EQ(loadFolder(*f, dir.file("missing")), ERR_FILE_OPEN);
}

TEST(SequenceDump, StableTextForm) {
    Fixture f;
    test::Track t;
    t.ev(0, {0xF0, 3, 0x41, 0x10, 0xF7}).ev(0, {0x99, 36, 100}).ev(48, {0x89, 36, 0}).ev(0, {0xB0, 7, 90}).end();
    test::Track conductor;
    conductor.tempo(0, 500000).tempo(384, 400000).end();
    const test::Bytes file = test::smfFile(1, 96, {conductor, t});
    ASSERT_EQ(loadMidiFileForTest(*f, file), 0);
    const std::string text = test::dumpOf(f.slot(1));
    std::string want =
        "sequence name=Demo bars=1 tempo=1200 events=3 module=1\n"
        "track 1 used=1 type=NOTE channel=1 name=Track01\n";
    for (int n = 2; n <= 16; ++n) {
        char line[80];
        // Unused tracks keep the default track type (DRUM).
        std::snprintf(line, sizeof line, "track %d used=%d type=DRUM channel=%d name=Track%02d\n", n, n == 10 ? 1 : 0,
                      n, n);
        want += line;
    }
    want += "event 0 10 0x90 36 100 48 0\n"
            "event 48 1 0xB0 7 90 0 0\n"
            "event 384 18 0x81 0 0 1500 400000\n";
    EXPECT_EQ(text, want);
}

}  // namespace
}  // namespace qz
