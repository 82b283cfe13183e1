// Defaults of the settings block and of the default sequence.
#include "song/persistent_settings.h"

#include <cstdio>
#include <cstring>

namespace qz {

namespace {

struct BuiltInChord {
    const char* name;
    int8_t intervals[6];
};

const BuiltInChord BUILT_IN_CHORDS[CHORD_TYPES] = {
    {"M     ", {4, 7}},    {"6     ", {4, 7, 9}},  {"7     ", {4, 7, 10}}, {"M7    ", {4, 7, 11}},
    {"m     ", {3, 7}},    {"m6    ", {3, 7, 9}},  {"m7    ", {3, 7, 10}}, {"mM7   ", {3, 7, 11}},
    {"sus4  ", {5, 7}},    {"7sus4 ", {5, 7, 10}}, {"dim   ", {3, 6, 9}},  {"m7-5  ", {3, 6, 10}},
    {"add9  ", {2, 7}},    {"User1 ", {}},         {"User2 ", {}},         {"User3 ", {}},
    {"User4 ", {}},        {"User5 ", {}},         {"User6 ", {}},         {"User7 ", {}},
};

}  // namespace

void buildDefaultSequence(Sequence& s, uint8_t trackType) {
    std::memset(&s, 0, sizeof(s));
    s.eventsOffset = SEQ_HEADER_SIZE;
    s.capacity = SEQ_HEADER_SIZE;  // the default sequence never holds events
    std::strcpy(s.name, "Sequence");
    s.unsaved = 1;
    s.bars = 2;
    s.tempoX10 = TEMPO_X10_DEFAULT;
    for (int n = 0; n < TRACK_RECORDS; ++n) {
        TrackRecord& t = s.tracks[n];
        std::snprintf(t.name, sizeof(t.name), "Track%02d", n);
        t.type = trackType;
        t.reserved43 = 100;
        t.channel = (n >= 1 && n <= USER_TRACKS) ? uint8_t(n - 1) : 0;
        t.volume = 100;
        t.pan = 64;
        t.reverb = 40;
        for (int k = 0; k < 128; ++k) t.noteMap[k] = uint8_t(k);
    }
}

void defaultChordTable(ChordDef table[CHORD_TYPES]) {
    for (int i = 0; i < CHORD_TYPES; ++i) {
        table[i] = ChordDef{};
        std::memcpy(table[i].name, BUILT_IN_CHORDS[i].name, std::strlen(BUILT_IN_CHORDS[i].name));
        std::memcpy(table[i].intervals, BUILT_IN_CHORDS[i].intervals, 6);
    }
}

void setDefaultSettings(PersistentSettings& p) {
    std::memset(&p, 0, sizeof(p));
    p.blockSize = SETTINGS_SIZE;
    p.reserved8 = 1200;
    p.seqLoop = 1;
    p.tcIndex = 3;
    p.zoomLevel = 1;
    p.accentVelocity = 127;
    p.normalVelocity = 50;
    p.clickNote = 31;
    p.clickChannel = 9;
    p.clickPort = 1;
    p.reserved168[1] = 36;
    p.inputPadBase = 2;
    for (uint32_t& b : p.trackPadBase) b = 2;
    for (int i = 0; i < 16; ++i) p.chordTrigger[i] = uint32_t(48 + i);
    defaultChordTable(p.chordTable);
    p.showClockInMonitor = 1;
    p.midiThru = 1;
    p.receiveProgram = 1;
    p.recVelocity = 1;
    p.reserved756 = 6;
    // The global default track type is not set by the defaults: it starts at 0.
    buildDefaultSequence(p.defaultSequence, uint8_t(p.defaultTrackType));
}

}  // namespace qz
