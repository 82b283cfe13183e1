// The settings block: the part of the application state that the settings
// file stores byte for byte (7,708 bytes, little-endian). It also holds the
// default sequence that stands for every empty slot.
#pragma once

#include <cstddef>
#include <cstdint>

#include "song/records.h"

namespace qz {

constexpr uint32_t SETTINGS_SIZE = 7708;
constexpr int OUT_PORTS = 9;
constexpr int IN_PORTS = 8;
constexpr int TC_ROWS = 7;
constexpr int CHORD_TYPES = 20;
constexpr int MIDI_BUTTONS = 30;
constexpr int SETTINGS_PATH_BYTES = 260;

struct ChordDef {
    char name[8];
    int8_t intervals[6];
    uint8_t reserved[2];
};
static_assert(sizeof(ChordDef) == 16);
static_assert(offsetof(ChordDef, intervals) == 8);

struct PersistentSettings {
    uint32_t blockSize;                      // 0
    uint32_t reserved4;                      // 4
    uint32_t reserved8;                      // 8 (1200)
    uint32_t deviceByTrack;                  // 12: 0 MASTER, 1 TRACK
    uint32_t masterDevice;                   // 16
    uint32_t resetMode[OUT_PORTS];           // 20: 0 GM, 1 GS, 2 XG
    uint32_t reserved56;                     // 56
    uint32_t seqLoop;                        // 60
    uint32_t tcIndex;                        // 64
    uint32_t swing;                          // 68
    int32_t shift[TC_ROWS];                  // 72
    uint32_t reserved100;                    // 100
    uint32_t zoomLevel;                      // 104
    uint32_t recCountIn;                     // 108
    uint32_t playCountIn;                    // 112
    uint32_t clickInRec;                     // 116
    uint32_t clickInPlay;                    // 120
    uint32_t accentVelocity;                 // 124
    uint32_t normalVelocity;                 // 128
    uint32_t clickRate;                      // 132
    uint32_t clickNote;                      // 136
    uint32_t clickChannel;                   // 140
    uint32_t clickPort;                      // 144
    uint32_t reserved148[2];                 // 148
    uint32_t arpeggio;                       // 156
    uint32_t reserved160;                    // 160
    uint32_t defaultTrackType;               // 164: 0 DRUM, 1 NOTE
    uint32_t reserved168[2];                 // 168 (0, 36)
    uint32_t inputPadBase;                   // 176
    uint32_t reserved180;                    // 180
    uint32_t trackPadBase[USER_TRACKS];      // 184
    uint32_t reserved248[3];                 // 248
    uint32_t reserved260;                    // 260
    uint32_t noteToChord;                    // 264
    uint32_t chordTrigger[16];               // 268
    uint32_t chordType[16];                  // 332
    ChordDef chordTable[CHORD_TYPES];        // 396
    uint32_t showClockInMonitor;             // 716
    uint32_t reserved720[2];                 // 720
    uint32_t midiThru;                       // 728
    uint32_t inChannel;                      // 732
    uint32_t clockInPort;                    // 736
    uint32_t receiveProgram;                 // 740
    uint32_t receivePressure;                // 744
    uint32_t recVelocity;                    // 748
    uint32_t recDuration;                    // 752
    uint32_t reserved756;                    // 756 (6)
    uint32_t clockOutPort;                   // 760: 0 off, k = output port k-1
    uint32_t midiButtonEnabled;              // 764
    uint32_t midiButtonDevice;               // 768
    uint32_t midiButtonChannel[MIDI_BUTTONS];  // 772
    uint32_t midiButtonStatus[MIDI_BUTTONS];   // 892
    uint32_t midiButtonNumber[MIDI_BUTTONS];   // 1012
    char midiFolder[SETTINGS_PATH_BYTES];    // 1132
    Sequence defaultSequence;                // 1392 (header only, no events)
    uint32_t reserved7700[2];                // 7700
};
static_assert(sizeof(PersistentSettings) == SETTINGS_SIZE);
static_assert(offsetof(PersistentSettings, deviceByTrack) == 12);
static_assert(offsetof(PersistentSettings, masterDevice) == 16);
static_assert(offsetof(PersistentSettings, resetMode) == 20);
static_assert(offsetof(PersistentSettings, seqLoop) == 60);
static_assert(offsetof(PersistentSettings, tcIndex) == 64);
static_assert(offsetof(PersistentSettings, swing) == 68);
static_assert(offsetof(PersistentSettings, shift) == 72);
static_assert(offsetof(PersistentSettings, zoomLevel) == 104);
static_assert(offsetof(PersistentSettings, recCountIn) == 108);
static_assert(offsetof(PersistentSettings, playCountIn) == 112);
static_assert(offsetof(PersistentSettings, clickInRec) == 116);
static_assert(offsetof(PersistentSettings, clickInPlay) == 120);
static_assert(offsetof(PersistentSettings, accentVelocity) == 124);
static_assert(offsetof(PersistentSettings, normalVelocity) == 128);
static_assert(offsetof(PersistentSettings, clickRate) == 132);
static_assert(offsetof(PersistentSettings, clickNote) == 136);
static_assert(offsetof(PersistentSettings, clickChannel) == 140);
static_assert(offsetof(PersistentSettings, clickPort) == 144);
static_assert(offsetof(PersistentSettings, arpeggio) == 156);
static_assert(offsetof(PersistentSettings, defaultTrackType) == 164);
static_assert(offsetof(PersistentSettings, inputPadBase) == 176);
static_assert(offsetof(PersistentSettings, trackPadBase) == 184);
static_assert(offsetof(PersistentSettings, noteToChord) == 264);
static_assert(offsetof(PersistentSettings, chordTrigger) == 268);
static_assert(offsetof(PersistentSettings, chordType) == 332);
static_assert(offsetof(PersistentSettings, chordTable) == 396);
static_assert(offsetof(PersistentSettings, showClockInMonitor) == 716);
static_assert(offsetof(PersistentSettings, midiThru) == 728);
static_assert(offsetof(PersistentSettings, inChannel) == 732);
static_assert(offsetof(PersistentSettings, clockInPort) == 736);
static_assert(offsetof(PersistentSettings, receiveProgram) == 740);
static_assert(offsetof(PersistentSettings, receivePressure) == 744);
static_assert(offsetof(PersistentSettings, recVelocity) == 748);
static_assert(offsetof(PersistentSettings, recDuration) == 752);
static_assert(offsetof(PersistentSettings, clockOutPort) == 760);
static_assert(offsetof(PersistentSettings, midiButtonEnabled) == 764);
static_assert(offsetof(PersistentSettings, midiButtonDevice) == 768);
static_assert(offsetof(PersistentSettings, midiButtonChannel) == 772);
static_assert(offsetof(PersistentSettings, midiButtonStatus) == 892);
static_assert(offsetof(PersistentSettings, midiButtonNumber) == 1012);
static_assert(offsetof(PersistentSettings, midiFolder) == 1132);
static_assert(offsetof(PersistentSettings, defaultSequence) == 1392);
static_assert(offsetof(PersistentSettings, reserved7700) == 7700);

// Fill the default sequence record: name "Sequence", tracks Track00..Track19,
// the default mixer values and identity note maps, the given track type.
void buildDefaultSequence(Sequence& s, uint8_t trackType);

// The built-in chord types (the defaults, and the chord editor's "Default").
void defaultChordTable(ChordDef table[CHORD_TYPES]);

// Every field of the settings block at its default.
void setDefaultSettings(PersistentSettings& p);

}  // namespace qz
