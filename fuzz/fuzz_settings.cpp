// Fuzz target: the settings reader. The input is laid over a block of
// defaults (so short inputs reach every field), read, and a sequence made
// from the stored default sequence must then be sound and writable.
#include <cstring>

#include "files/settings_file.h"
#include "fuzz/fuzz_common.h"
#include "program/program.h"
#include "song/persistent_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qz::AppState& app = qz::fuzz::fuzzState();
    // The size rule: only an image of exactly the block's size is taken.
    qz::PersistentSettings probe;
    qz::setDefaultSettings(probe);
    if (qz::readSettingsImage(probe, data, size) != (size == qz::SETTINGS_SIZE)) __builtin_trap();

    std::vector<uint8_t> image(qz::SETTINGS_SIZE);
    qz::setDefaultSettings(app.settings);
    std::memcpy(image.data(), &app.settings, qz::SETTINGS_SIZE);
    std::memcpy(image.data(), data, size < image.size() ? size : image.size());
    if (!qz::readSettingsImage(app.settings, image.data(), image.size())) __builtin_trap();
    const qz::Sequence& d = app.settings.defaultSequence;
    if (d.eventCount != 0 || d.bars < 1 || d.bars > 999) __builtin_trap();
    qz::pointAtSequence(app, 1);  // an empty slot shows the default sequence
    if (qz::createSequence(app, 1)) {
        if (qz::insertEvent(app, 0, 1, qz::ST_NOTE, 60, 100, 24) < 0) __builtin_trap();
        qz::fuzz::checkLoaded(app);
    }
    qz::deleteAllSequences(app);
    qz::setDefaultSettings(app.settings);
    return 0;
}
