// Shared set-up of the file fuzzers: one application state for the whole
// run, emptied after every input, and a check that what a reader loaded
// keeps the store's invariants and survives our writer and reader again.
#pragma once

#include <cstdint>
#include <vector>

#include "files/smf_reader.h"
#include "files/smf_writer.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz::fuzz {

inline AppState& fuzzState() {
    static AppState* app = [] {
        auto* a = new AppState;
        if (initAppState(*a) != 0) __builtin_trap();
        return a;
    }();
    return *app;
}

// Trap unless every loaded sequence is sound; then write each with our
// writer and read it back, which must succeed with the same event count on
// tracks 1..16.
inline void checkLoaded(AppState& app) {
    std::vector<uint8_t> image;
    for (int slot = 1; slot <= MAX_SLOTS; ++slot) {
        const Sequence* s = app.slots[slot];
        if (!s) continue;
        if (s->bars < 1 || s->bars > uint32_t(MAX_BARS)) __builtin_trap();
        if (s->eventCount < 0 || s->eventCount > seqEventRoom(s)) __builtin_trap();
        const SeqEvent* ev = seqEvents(s);
        int32_t written = 0;
        for (int32_t i = 0; i < s->eventCount; ++i) {
            if (i > 0 && ev[i].time < ev[i - 1].time) __builtin_trap();
            if (ev[i].data1 > 127 || ev[i].data2 > 127) __builtin_trap();
            if (ev[i].status == ST_NOTE && (ev[i].value < 1 || ev[i].value > uint32_t(MAX_DURATION))) __builtin_trap();
            if (ev[i].status == ST_NOTE && ev[i].data2 == 0) __builtin_trap();
            written += (ev[i].track >= 1 && ev[i].track <= 16) ? 1 : 0;
        }
        if (encodeSequence(s, image) != 0) __builtin_trap();
        SmfReadState st;
        Sequence header;
        initLoadedHeader(app, header);
        if (parseSmf(st, image.data(), image.data() + image.size(), header) != 0) __builtin_trap();
        if (int32_t(st.events.size()) < written) __builtin_trap();
    }
}

}  // namespace qz::fuzz
