// A state with slot 1 holding a 4-bar sequence, for the region and note edit tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

#include "engine/engine.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz::test {

constexpr Tick BAR = TICKS_PER_BAR;

struct Ev {
    Tick time;
    int track, status, data1, data2;
    uint32_t value;
    bool operator==(const Ev&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Ev& e) {
    return os << "{" << e.time << " tr" << e.track << " st" << e.status << " " << e.data1 << "/" << e.data2 << " "
              << e.value << "}";
}

class EditFixture : public ::testing::Test {
protected:
    std::unique_ptr<AppState> app = std::make_unique<AppState>();

    void SetUp() override {
        ASSERT_EQ(initAppState(*app), 0);
        ASSERT_EQ(ensureSequence(*app), 0);
        setBars(4);
    }
    void TearDown() override { freeAppState(*app); }

    void setBars(int bars) {
        app->seq->bars = uint32_t(bars);
        app->lengthTicks = bars * BAR;
    }
    void note(Tick t, int n, int vel = 100, uint32_t dur = 24, int track = 1) {
        ASSERT_GE(insertEvent(*app, t, uint8_t(track), ST_NOTE, uint8_t(n), uint8_t(vel), dur), 0);
    }
    void event(Tick t, int status, int d1, int d2 = 0) {
        ASSERT_GE(insertEvent(*app, t, 1, uint8_t(status), uint8_t(d1), uint8_t(d2), 0), 0);
    }
    std::vector<Ev> all() const {
        std::vector<Ev> out;
        const SeqEvent* ev = seqEvents(app->seq);
        for (int32_t i = 0; i < app->seq->eventCount; ++i)
            out.push_back({ev[i].time, ev[i].track, ev[i].status, ev[i].data1, ev[i].data2, ev[i].value});
        return out;
    }
    std::vector<Tick> times() const {
        std::vector<Tick> out;
        for (const Ev& e : all()) out.push_back(e.time);
        return out;
    }
};

}  // namespace qz::test
