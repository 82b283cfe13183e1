// Fuzz target: the MIDI file reader (and our writer on what it loads).
#include "fuzz/fuzz_common.h"
#include "program/program.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qz::AppState& app = qz::fuzz::fuzzState();
    qz::loadMidiImage(app, data, size, "FUZZ", "");
    qz::fuzz::checkLoaded(app);
    qz::deleteAllSequences(app);
    return 0;
}
