// Fuzz target: the ".SEQ" reader (and our writer on what it loads).
#include "files/mpc_reader.h"
#include "fuzz/fuzz_common.h"
#include "program/program.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qz::AppState& app = qz::fuzz::fuzzState();
    qz::loadMpcSequenceImage(app, data, size, nullptr, "FUZZ.SEQ");
    qz::fuzz::checkLoaded(app);
    qz::deleteAllSequences(app);
    return 0;
}
