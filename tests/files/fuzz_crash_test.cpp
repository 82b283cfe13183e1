// Inputs on which a fuzzer once failed, replayed through the same checks:
// what loads keeps the store's invariants and survives our writer and our
// reader again with every event of tracks 1..16.
#include <gtest/gtest.h>

#include <filesystem>

#include "files/file_common.h"
#include "files/mpc_reader.h"
#include "files/settings_file.h"
#include "files/smf_reader.h"
#include "files/smf_writer.h"
#include "program/program.h"
#include "tests/files/file_test_util.h"

namespace qz {
namespace {

void expectSound(AppState& app, const std::string& what) {
    for (int slot = 1; slot <= MAX_SLOTS; ++slot) {
        const Sequence* s = app.slots[slot];
        if (!s) continue;
        EXPECT_GE(s->bars, 1u) << what;
        EXPECT_LE(s->bars, 999u) << what;
        int32_t onTracks = 0;
        auto ev = test::eventsOf(s);
        for (size_t i = 0; i < ev.size(); ++i) {
            if (i) {
                EXPECT_GE(ev[i].time, ev[i - 1].time) << what;
            }
            EXPECT_LT(ev[i].data1, 128) << what;
            EXPECT_LT(ev[i].data2, 128) << what;
            if (ev[i].status == ST_NOTE) {
                EXPECT_GE(ev[i].data2, 1) << what;
                EXPECT_GE(ev[i].value, 1u) << what;
                EXPECT_LE(ev[i].value, 9999u) << what;
            }
            onTracks += ev[i].track >= 1 && ev[i].track <= 16 ? 1 : 0;
        }
        test::Bytes image;
        ASSERT_EQ(encodeSequence(s, image), 0) << what;
        SmfReadState st;
        Sequence header;
        initLoadedHeader(app, header);
        ASSERT_EQ(parseSmf(st, image.data(), image.data() + image.size(), header), 0) << what;
        EXPECT_GE(int32_t(st.events.size()), onTracks) << what;
    }
}

TEST(FuzzCrashes, ReplayEveryFoundCrash) {
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QZ_SOURCE_DIR "/tests/files/crashes")) {
        const std::string name = entry.path().filename().string();
        std::vector<uint8_t> data;
        ASSERT_EQ(readWholeFile(entry.path().string(), data), 0);
        test::Fixture f;
        if (name.rfind("fuzz_smf", 0) == 0) {
            loadMidiImage(*f, data.data(), data.size(), "F", "");
        } else if (name.rfind("fuzz_mpc_seq", 0) == 0) {
            loadMpcSequenceImage(*f, data.data(), data.size(), nullptr, "F.SEQ");
        } else if (name.rfind("fuzz_mpc_all", 0) == 0) {
            loadMpcPackageImage(*f, data.data(), data.size());
        } else if (name.rfind("fuzz_settings", 0) == 0) {
            readSettingsImage((*f).settings, data.data(), data.size());
            EXPECT_EQ((*f).settings.defaultSequence.eventCount, 0) << name;
            ASSERT_NE(createSequence(*f, 1), nullptr) << name;
        } else {
            ADD_FAILURE() << "unknown crash file " << name;
            continue;
        }
        expectSound(*f, name);
        ++replayed;
    }
    EXPECT_GE(replayed, 1);
}

}  // namespace
}  // namespace qz
