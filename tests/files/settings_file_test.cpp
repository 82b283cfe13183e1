// The settings file: its byte image, the size rule, the values held on
// reading, the MIDI folder, and where the file goes.
#include "files/settings_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "program/program.h"
#include "tests/files/file_test_util.h"

namespace qz {
namespace {

using test::Bytes;
using test::Fixture;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
void writeFile(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}
uint32_t le32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + size_t(i)) = uint8_t(v >> (8 * i));
}

// A state whose program folder is a fresh temporary folder.
struct SettingsFixture {
    Fixture f;
    test::TempDir dir;
    SettingsFixture() { (*f).loader.programFolder = dir.path.string(); }
    AppState& app() { return *f; }
    std::string file() const { return dir.file("QZSEQ.qzi"); }
};

TEST(SettingsFile, SavedImageHoldsEveryFieldAtItsOffset) {
    SettingsFixture t;
    AppState& app = t.app();
    loadSettings(app.settings, app.loader);  // no file: the defaults stay
    EXPECT_EQ(app.loader.settingsPath, t.file());
    EXPECT_FALSE(std::filesystem::exists(t.file()));
    app.settings.accentVelocity = 111;
    app.settings.normalVelocity = 22;
    app.settings.clickNote = 40;
    app.settings.chordTrigger[3] = 77;
    std::strcpy(app.settings.defaultSequence.name, "Song");
    app.settings.defaultSequence.tracks[2].volume = 55;
    app.loader.midiFolder = t.dir.path.string();
    ASSERT_EQ(saveSettings(app.settings, app.loader), 0);

    Bytes b = readFile(t.file());
    ASSERT_EQ(b.size(), 7708u);
    EXPECT_EQ(le32(b, 0), 7708u);
    EXPECT_EQ(le32(b, 124), 111u);
    EXPECT_EQ(le32(b, 128), 22u);
    EXPECT_EQ(le32(b, 136), 40u);
    EXPECT_EQ(le32(b, 268 + 12), 77u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[1132])), t.dir.path.string());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[1392 + 20])), "Song");
    EXPECT_EQ(b[1392 + 64 + 2 * 312 + 50], 55);

    SettingsFixture u;
    std::filesystem::copy_file(t.file(), u.file());
    loadSettings(u.app().settings, u.app().loader);
    EXPECT_EQ(std::memcmp(&u.app().settings, &app.settings, sizeof app.settings), 0);
    EXPECT_EQ(u.app().loader.midiFolder, t.dir.path.string());
    EXPECT_EQ(u.app().loader.loadFolder, t.dir.path.string());
    EXPECT_EQ(u.app().loader.browseFolder, t.dir.path.string());
}

TEST(SettingsFile, WrongSizeIsReplacedByDefaults) {
    for (size_t size : {size_t(7707), size_t(7709), size_t(0)}) {
        SettingsFixture t;
        writeFile(t.file(), Bytes(size, 0x55));
        loadSettings(t.app().settings, t.app().loader);
        Bytes b = readFile(t.file());
        ASSERT_EQ(b.size(), 7708u) << size;
        EXPECT_EQ(le32(b, 124), 127u) << size;
        EXPECT_EQ(le32(b, 136), 31u) << size;
        EXPECT_EQ(t.app().settings.clickNote, 31u) << size;
    }
}

TEST(SettingsFile, ValuesAreHeldOnReading) {
    SettingsFixture t;
    AppState& app = t.app();
    ASSERT_EQ(app.settings.blockSize, 7708u);
    Bytes b(reinterpret_cast<const uint8_t*>(&app.settings),
            reinterpret_cast<const uint8_t*>(&app.settings) + sizeof app.settings);
    put32(b, 124, 0);    // accent velocity
    put32(b, 128, 200);  // normal velocity
    put32(b, 732, 5);    // input channel: always 0 after reading
    put32(b, 16, 50);    // master output port: no such port
    put32(b, 104, 9);    // zoom level
    put32(b, 1392 + 6304, 1000);  // events in the default sequence, which has none
    put32(b, 1392 + 52, 5000);    // its bar count
    b[1392 + 64 + 312 + 45] = 200;  // track 1 channel
    const std::string gone = t.dir.file("gone");
    std::memcpy(&b[1132], gone.c_str(), gone.size() + 1);
    writeFile(t.file(), b);
    loadSettings(app.settings, app.loader);
    const PersistentSettings& p = app.settings;
    EXPECT_EQ(p.accentVelocity, 127u);
    EXPECT_EQ(p.normalVelocity, 127u);
    EXPECT_EQ(p.inChannel, 0u);
    EXPECT_EQ(p.masterDevice, 0u);
    EXPECT_EQ(p.zoomLevel, 1u);
    EXPECT_EQ(p.defaultSequence.eventCount, 0);
    EXPECT_EQ(p.defaultSequence.bars, 2u);
    EXPECT_LT(p.defaultSequence.tracks[1].channel, 16);
    // A stored MIDI folder that no longer exists leaves the program folder.
    EXPECT_EQ(app.loader.midiFolder, t.dir.path.string());
    EXPECT_EQ(app.loader.loadFolder, t.dir.path.string());
    EXPECT_EQ(readFile(t.file()).size(), 7708u);  // a good file is not rewritten
}

TEST(SettingsFile, FailedSaveKeepsTheOldFile) {
    SettingsFixture t;
    AppState& app = t.app();
    loadSettings(app.settings, app.loader);
    app.settings.clickNote = 44;
    ASSERT_EQ(saveSettings(app.settings, app.loader), 0);
    const Bytes before = readFile(t.file());
    // A folder in the way of the temporary file: the save fails, the old
    // file stays whole.
    std::filesystem::create_directory(t.file() + ".qztmp");
    app.settings.clickNote = 45;
    EXPECT_NE(saveSettings(app.settings, app.loader), 0);
    EXPECT_EQ(readFile(t.file()), before);
}

#ifndef _WIN32
TEST(SettingsFile, UnwritableProgramFolderUsesTheUserConfigFolder) {
    test::TempDir cfg;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", cfg.path.string().c_str(), 1);
    Fixture f;
    (*f).loader.programFolder = (cfg.path / "no" / "such" / "folder").string();
    loadSettings((*f).settings, (*f).loader);
    EXPECT_EQ((*f).loader.settingsPath, (cfg.path / "qzseq" / "QZSEQ.qzi").string());
    EXPECT_EQ(saveSettings((*f).settings, (*f).loader), 0);
    EXPECT_EQ(readFile((*f).loader.settingsPath).size(), 7708u);
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}
#endif

}  // namespace
}  // namespace qz
