// The synthesizer's text file and its search for a SoundFont.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/synth/synth.h"

namespace qz {
namespace {

TEST(SynthOptions, FileWrittenWithDefaultsReadsBackAndLinesAreForgiving) {
    const std::string path = testing::TempDir() + "synth_options_test.txt";
    SynthOptions written;
    written.driver = "jack";
    written.gain = 1.25f;
    ASSERT_TRUE(writeSynthOptionsFile(path, written));
    SynthOptions back;
    back.soundFont = "kept?";
    ASSERT_TRUE(readSynthOptionsFile(path, back));
    EXPECT_EQ(back.driver, "jack");
    EXPECT_EQ(back.soundFont, "") << "an empty value is a value";
    EXPECT_FLOAT_EQ(back.gain, 1.25f);

    // Comments, blanks around '=', unknown names and a bad gain are passed over.
    std::ofstream(path) << "  # comment\n driver=alsa # the card\nsoundfont = /x/y z.sf2\ngain = loud\ncolour = red\n";
    SynthOptions o;
    ASSERT_TRUE(readSynthOptionsFile(path, o));
    EXPECT_EQ(o.driver, "alsa");
    EXPECT_EQ(o.soundFont, "/x/y z.sf2");
    EXPECT_FLOAT_EQ(o.gain, SynthOptions{}.gain);
    std::remove(path.c_str());
    EXPECT_FALSE(readSynthOptionsFile(path, o)) << "a missing file says so";
}

TEST(SynthOptions, SoundFontSearch) {
    EXPECT_EQ(findSoundFont("/no/such/file.sf2"), "") << "a named file that is not there is not replaced";
    const std::string found = findSoundFont("");
    if (found.empty()) GTEST_SKIP() << "no SoundFont installed";
    EXPECT_EQ(findSoundFont(found), found);
}

}  // namespace
}  // namespace qz
