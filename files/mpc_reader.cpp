#include "files/mpc_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "files/file_common.h"
#include "files/smf_reader.h"
#include "song/sequence_store.h"
#include "song/song_store.h"

namespace qz {

namespace {

constexpr size_t MPC_TRACKS_AT = 4096;
constexpr size_t MPC_TRACK_SIZE = 48;
constexpr size_t MPC_EVENTS_AT = 7184;
constexpr size_t MPC_RECORD = 16;
constexpr size_t MPC_DIRECTORY_AT = 24;
constexpr size_t MPC_DIRECTORY_ENTRY = 24;
constexpr int MPC_PACKAGE_SEQUENCES = 99;
constexpr int32_t MPC_TICK_LIMIT = MAX_BARS * TICKS_PER_BAR;

uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

// Pad numbers of the oldest firmware to note numbers; unlisted values give
// 100.
const uint8_t* padTable() {
    static const std::array<uint8_t, 256> TABLE = [] {
        std::array<uint8_t, 256> t{};
        t.fill(100);
        const uint8_t from35[] = {81, 37, 36, 41, 67, 40, 82, 38, 47, 43, 46, 42, 45, 44, 48, 83, 50,
                                  68, 51, 52, 49, 60, 69, 70, 71, 72, 73, 61, 62, 63, 56, 57, 74, 75,
                                  53, 76, 66, 77, 64, 65, 78, 58, 59, 84, 80, 55, 54, 39, 84, 85};
        for (size_t i = 0; i < sizeof from35; ++i) t[35 + i] = from35[i];
        for (int v = 85; v <= 98; ++v) t[size_t(v)] = uint8_t(v + 1);
        return t;
    }();
    return TABLE.data();
}

bool hasMagic(const uint8_t* data, size_t size, const char* magic) {
    return size >= 19 && std::memcmp(data + 4, magic, 11) == 0;
}

// The tempo x 10 a sequence plays at: out-of-range values mean 120.0.
int32_t baseTempo(int32_t x10) { return (x10 < TEMPO_X10_MIN || x10 > TEMPO_X10_MAX) ? TEMPO_X10_DEFAULT : x10; }

// Finish a converted sequence: build its block, run the load passes, name
// it and put it into `slot`. Returns 0 or 3.
int installConverted(SongStore& app, int slot, Sequence& header, const std::vector<SeqEvent>& events,
                     const char* name) {
    Sequence* block = buildLoadedBlock(header, events.data(), events.size());
    if (!block) return ERR_NO_MEMORY;
    std::memcpy(block->name, name, sizeof block->name);
    block->name[NAME_FIELD - 1] = 0;
    block->unsaved = 0;
    block->modified = 0;
    foldSustainPedal(block);
    takeTrackDefaults(block);
    installSequence(app, slot, block);
    return 0;
}

}  // namespace

int mpcVariant(uint8_t major, uint8_t minor, bool package) {
    if (major < '4' || minor < '1') return 0;
    if (minor == '1') return 1;
    if (minor == '2' || (package && minor == '3')) return 2;
    return 3;
}

void readMpcImage(const uint8_t* image, const uint8_t* end, Sequence& seq, std::vector<SeqEvent>& events,
                  int variant) {
    events.clear();
    const size_t size = end > image ? size_t(end - image) : 0;
    if (size >= 34) {
        const int32_t bars = int16_t(le16(image + 28));
        seq.bars = uint32_t(std::clamp(bars, 1, MAX_BARS));
        seq.tempoX10 = int32_t(le16(image + 32));
    }
    for (int t = 1; t <= USER_TRACKS; ++t) {
        const size_t at = MPC_TRACKS_AT + MPC_TRACK_SIZE * size_t(t - 1);
        if (at + MPC_TRACK_SIZE > size) break;
        const uint8_t* rec = image + at;
        TrackRecord& tr = seq.tracks[t];
        tr.channel = uint8_t(t - 1);
        const bool drum = variant == 0 ? rec[36] == 0 : rec[35] <= 1;
        tr.used = 1;
        tr.type = drum ? TRACK_TYPE_DRUM : TRACK_TYPE_NOTE;
        tr.drumPart = drum ? 1 : 0;
        if (!drum && rec[37] >= 1 && rec[37] <= 16) tr.channel = uint8_t(rec[37] - 1);
        std::memset(tr.name, 0, sizeof tr.name);
        for (int i = 0; i < 16 && rec[i]; ++i) tr.name[i] = char(rec[i]);
    }

    const uint8_t* pads = padTable();
    const int32_t tempo = baseTempo(seq.tempoX10);
    bool sorted = true;
    for (size_t at = MPC_EVENTS_AT; at + MPC_RECORD <= size; at += MPC_RECORD) {
        const uint8_t* rec = image + at;
        const uint8_t status = rec[5];
        if (status == 0xFF) break;
        const int32_t time = int32_t(le32(rec));
        if (time < 0 || time >= MPC_TICK_LIMIT) continue;  // nothing starts at the end of bar 999
        const uint32_t word = le32(rec + 8) & 0x7FFF;
        SeqEvent e{time, rec[4], status, rec[6], rec[7], 0, 0};
        if (status == ST_TEMPO) {
            // The word is the tempo as a percentage x 100 of the sequence's.
            int64_t x10 = int64_t(tempo) * word / 10000;
            e.track = TEMPO_TRACK;
            e.data1 = e.data2 = 0;
            e.value = uint32_t(std::clamp<int64_t>(x10, TEMPO_X10_MIN, TEMPO_X10_MAX));
            e.value2 = 600000000u / e.value;
        } else {
            // Only channel messages the rest of the program knows are kept.
            if (status < ST_NOTE || status > ST_PITCH_BEND || (status & 0x0F) != 0) continue;
            if (e.track > USER_TRACKS) continue;
            if (variant == 0) {
                e.data1 = pads[rec[6]];
            } else if (variant == 1 && status == ST_NOTE && e.track >= 1 &&
                       seq.tracks[e.track].type == TRACK_TYPE_DRUM) {
                const int note = rec[13] + 36;
                if (note > 127) continue;
                e.data1 = uint8_t(note);
            }
            if (e.data1 > 127 || e.data2 > 127) continue;
            if (status == ST_NOTE && e.data2 == 0) continue;  // a silent note: as MIDI it would be a note-off
            if (status == ST_NOTE) e.value = std::clamp<uint32_t>(word, 1, MAX_DURATION);
        }
        if (!events.empty() && events.back().time > e.time) sorted = false;
        events.push_back(e);
    }
    // The store keeps events in time order; a file that does not gets sorted.
    if (!sorted)
        std::stable_sort(events.begin(), events.end(),
                         [](const SeqEvent& a, const SeqEvent& b) { return a.time < b.time; });
    seq.eventCount = int32_t(events.size());
}

int loadMpcSequenceImage(SongStore& app, const uint8_t* data, size_t size, const char* name, const std::string& path) {
    const int slot = firstFreeSlot(app);
    if (slot > MAX_SLOTS) return ERR_ROOM_FULL;
    if (!hasMagic(data, size, "MPC1000 SEQ")) return ERR_NOT_SEQUENCE;
    Sequence header;
    initLoadedHeader(app, header);
    std::vector<SeqEvent> events;
    try {
        readMpcImage(data, data + size, header, events, mpcVariant(data[16], data[18], false));
    } catch (const std::bad_alloc&) {
        return ERR_NO_MEMORY;
    }
    char seqName[NAME_FIELD];
    Sequence* tmp = &header;
    nameLoadedSequence(tmp, name, path);
    std::memcpy(seqName, header.name, sizeof seqName);
    if (int rc = installConverted(app, slot, header, events, seqName)) return rc;
    selectSlot(app, slot);
    return 0;
}

int loadMpcSequence(SongStore& app, const std::string& path, const char* name) {
    if (firstFreeSlot(app) > MAX_SLOTS) return ERR_ROOM_FULL;
    std::vector<uint8_t> file;
    if (int rc = readWholeFile(path, file)) return rc;
    return loadMpcSequenceImage(app, file.data(), file.size(), name, path);
}

int loadMpcPackageImage(SongStore& app, const uint8_t* data, size_t size) {
    if (!hasMagic(data, size, "MPC1000 ALL")) return ERR_NOT_SEQUENCE;
    const int variant = mpcVariant(data[16], data[18], true);
    int result = 0;
    std::vector<SeqEvent> events;
    for (int i = 0; i < MPC_PACKAGE_SEQUENCES && result == 0; ++i) {
        const size_t entry = MPC_DIRECTORY_AT + MPC_DIRECTORY_ENTRY * size_t(i) + 20;
        if (entry + 4 > size) break;
        const size_t at = le32(data + entry);
        if (at == 0 || at + 8 > size) continue;  // no sequence, or one outside the file
        const size_t end = std::min<size_t>(size, at + size_t(le32(data + at)));
        const int slot = firstFreeSlot(app);
        if (slot > MAX_SLOTS) {
            result = ERR_ROOM_FULL;
            break;
        }
        Sequence header;
        initLoadedHeader(app, header);
        char name[NAME_FIELD] = {};
        for (size_t k = 0; k < 16 && at + 4 + k < end && data[at + 4 + k]; ++k) name[k] = char(data[at + 4 + k]);
        try {
            readMpcImage(data + at, data + end, header, events, variant);
        } catch (const std::bad_alloc&) {
            result = ERR_NO_MEMORY;
            break;
        }
        result = installConverted(app, slot, header, events, name);
    }
    selectSlot(app, 1);
    return result;
}

int loadMpcPackage(SongStore& app, const std::string& path) {
    std::vector<uint8_t> file;
    if (int rc = readWholeFile(path, file)) return rc;
    return loadMpcPackageImage(app, file.data(), file.size());
}

}  // namespace qz
