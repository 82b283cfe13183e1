// Byte layouts of the song records. The sequence header and the track
// records are also part of the settings file, and the event record is the
// unit of every event array, so each offset is pinned down here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qz {

using Tick = int32_t;

constexpr int TICKS_PER_QUARTER = 96;
constexpr int TICKS_PER_BAR = 384;
constexpr int MAX_BARS = 999;
constexpr int MAX_SLOTS = 99;
constexpr int TRACK_RECORDS = 20;
constexpr int USER_TRACKS = 16;
constexpr uint8_t TEMPO_TRACK = 18;
// Tracks 0..18 play; a `track` of 19 or more (no track, or removal-marked)
// is passed over.
constexpr uint8_t PLAYED_TRACKS = 19;
constexpr uint8_t TRACK_REMOVE_MARK = 0x80;  // bit 7 of `track`: removed at the next merge
constexpr int NAME_FIELD = 17;               // 16 characters and a NUL
constexpr int MAX_DURATION = 9999;
constexpr uint32_t OPEN_NOTE_BIT = 0x80000000u;

constexpr uint8_t ST_NOTE_OFF = 0x80;
constexpr uint8_t ST_TEMPO = 0x81;
constexpr uint8_t ST_ERASED = 0x83;
constexpr uint8_t ST_TAKEN = 0x84;  // marks a note moved by timing correct
constexpr uint8_t ST_NOTE = 0x90;
constexpr uint8_t ST_POLY_PRESSURE = 0xA0;
constexpr uint8_t ST_CONTROL = 0xB0;
constexpr uint8_t ST_PROGRAM = 0xC0;
constexpr uint8_t ST_CHANNEL_PRESSURE = 0xD0;
constexpr uint8_t ST_PITCH_BEND = 0xE0;
constexpr uint8_t ST_SYSEX = 0xF0;

constexpr int32_t TEMPO_X10_MIN = 300;
constexpr int32_t TEMPO_X10_MAX = 3000;
constexpr int32_t TEMPO_X10_DEFAULT = 1200;
constexpr int32_t US_PER_QUARTER_MIN = 200000;
constexpr int32_t US_PER_QUARTER_MAX = 2000000;

// One stored event. A note carries its duration in `value`; while it is
// still held during recording `value` is the tick counter at its note-on
// with bit 31 set. A tempo event has track 18, status 0x81, `value` the
// tempo x 10 and `value2` the microseconds per quarter.
struct SeqEvent {
    int32_t time;
    uint8_t track;
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
    uint32_t value;
    uint32_t value2;
};
static_assert(sizeof(SeqEvent) == 16);
static_assert(offsetof(SeqEvent, time) == 0);
static_assert(offsetof(SeqEvent, track) == 4);
static_assert(offsetof(SeqEvent, status) == 5);
static_assert(offsetof(SeqEvent, data1) == 6);
static_assert(offsetof(SeqEvent, data2) == 7);
static_assert(offsetof(SeqEvent, value) == 8);
static_assert(offsetof(SeqEvent, value2) == 12);

constexpr uint8_t TRACK_TYPE_DRUM = 0;
constexpr uint8_t TRACK_TYPE_NOTE = 1;

struct TrackRecord {
    char name[NAME_FIELD];
    uint8_t pad17[3];
    uint32_t reserved20;
    uint8_t reserved24[16];
    uint8_t used;
    uint8_t type;
    uint8_t mute;
    uint8_t reserved43;
    uint8_t device;
    uint8_t channel;
    uint8_t drumPart;
    uint8_t bankMsb;
    uint8_t bankLsb;
    uint8_t program;
    uint8_t volume;
    uint8_t pan;
    uint8_t reverb;
    uint8_t chorus;
    uint8_t reserved54[2];
    uint8_t noteMap[128];
    uint8_t noteMute[128];
};
static_assert(sizeof(TrackRecord) == 312);
static_assert(offsetof(TrackRecord, name) == 0);
static_assert(offsetof(TrackRecord, reserved20) == 20);
static_assert(offsetof(TrackRecord, used) == 40);
static_assert(offsetof(TrackRecord, type) == 41);
static_assert(offsetof(TrackRecord, mute) == 42);
static_assert(offsetof(TrackRecord, reserved43) == 43);
static_assert(offsetof(TrackRecord, device) == 44);
static_assert(offsetof(TrackRecord, channel) == 45);
static_assert(offsetof(TrackRecord, drumPart) == 46);
static_assert(offsetof(TrackRecord, bankMsb) == 47);
static_assert(offsetof(TrackRecord, bankLsb) == 48);
static_assert(offsetof(TrackRecord, program) == 49);
static_assert(offsetof(TrackRecord, volume) == 50);
static_assert(offsetof(TrackRecord, pan) == 51);
static_assert(offsetof(TrackRecord, reverb) == 52);
static_assert(offsetof(TrackRecord, chorus) == 53);
static_assert(offsetof(TrackRecord, noteMap) == 56);
static_assert(offsetof(TrackRecord, noteMute) == 184);

constexpr uint32_t MODULE_NONE = 0;
constexpr uint32_t MODULE_GS = 1;
constexpr uint32_t MODULE_XG = 2;

// The fixed part of a sequence block. The events follow it directly in the
// same allocation, up to `capacity` bytes from the block start.
struct Sequence {
    uint32_t eventsOffset;
    uint32_t reserved4;
    uint32_t moduleMode;
    uint32_t capacity;
    uint32_t heapHandle;
    char name[NAME_FIELD];
    uint8_t pad37[3];
    uint32_t unsaved;
    uint32_t modified;
    uint32_t exists;
    uint32_t bars;
    uint32_t tempoChange;
    int32_t tempoX10;
    TrackRecord tracks[TRACK_RECORDS];
    int32_t eventCount;
};
constexpr uint32_t SEQ_HEADER_SIZE = 6308;
constexpr uint32_t SEQ_BLOCK_EVENTS = 4096;
constexpr uint32_t SEQ_NEW_BLOCK_SIZE = SEQ_HEADER_SIZE + SEQ_BLOCK_EVENTS * sizeof(SeqEvent);  // 71844
constexpr uint32_t SEQ_GROWTH_BYTES = 65536;

static_assert(sizeof(Sequence) == SEQ_HEADER_SIZE);
static_assert(SEQ_NEW_BLOCK_SIZE == 71844);
static_assert(offsetof(Sequence, eventsOffset) == 0);
static_assert(offsetof(Sequence, moduleMode) == 8);
static_assert(offsetof(Sequence, capacity) == 12);
static_assert(offsetof(Sequence, heapHandle) == 16);
static_assert(offsetof(Sequence, name) == 20);
static_assert(offsetof(Sequence, unsaved) == 40);
static_assert(offsetof(Sequence, modified) == 44);
static_assert(offsetof(Sequence, exists) == 48);
static_assert(offsetof(Sequence, bars) == 52);
static_assert(offsetof(Sequence, tempoChange) == 56);
static_assert(offsetof(Sequence, tempoX10) == 60);
static_assert(offsetof(Sequence, tracks) == 64);
static_assert(offsetof(Sequence, eventCount) == 6304);

// The event array of a block.
inline SeqEvent* seqEvents(Sequence* s) {
    return reinterpret_cast<SeqEvent*>(reinterpret_cast<unsigned char*>(s) + SEQ_HEADER_SIZE);
}
inline const SeqEvent* seqEvents(const Sequence* s) {
    return reinterpret_cast<const SeqEvent*>(reinterpret_cast<const unsigned char*>(s) + SEQ_HEADER_SIZE);
}
// How many events fit in the block's room.
inline int32_t seqEventRoom(const Sequence* s) {
    return s->capacity <= SEQ_HEADER_SIZE ? 0 : int32_t((s->capacity - SEQ_HEADER_SIZE) / sizeof(SeqEvent));
}
inline int32_t seqLengthTicks(const Sequence* s) { return int32_t(s->bars) * TICKS_PER_BAR; }

inline bool isTempoEvent(const SeqEvent& e) { return e.track == TEMPO_TRACK && e.status == ST_TEMPO; }
inline bool isOpenNote(const SeqEvent& e) { return (e.value & OPEN_NOTE_BIT) != 0; }

}  // namespace qz
