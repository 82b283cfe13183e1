#include "files/smf_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "files/file_common.h"
#include "song/persistent_settings.h"
#include "song/sequence_store.h"
#include "song/song_store.h"

namespace qz {

namespace {

// Reading stops at the first event past 999 bars.
constexpr int64_t SMF_TICK_LIMIT = int64_t(MAX_BARS) * TICKS_PER_BAR;
// Keeps a block's byte size within its 32-bit `capacity` word.
constexpr size_t SMF_MAX_EVENTS = (0xFFFFFFFFu - SEQ_HEADER_SIZE) / sizeof(SeqEvent) - 256;
constexpr int32_t SMF_NEW_NOTE_DURATION = 12;

uint32_t be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Read a variable-length quantity of at most four bytes. False when the data
// runs out or the quantity does not end within four bytes.
bool readVlq(const uint8_t*& p, const uint8_t* end, uint32_t& v) {
    v = 0;
    for (int i = 0; i < 4; ++i) {
        if (p >= end) return false;
        uint8_t b = *p++;
        v = (v << 7) | (b & 0x7F);
        if (!(b & 0x80)) return true;
    }
    return false;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

uint8_t hexPair(const uint8_t* p) { return uint8_t(hexDigit(char(p[0])) << 4 | hexDigit(char(p[1]))); }

// Restore a track's settings from the 320-byte settings text of our own
// files. Values are held to what the rest of the program can send.
void applyTrackSettingsText(TrackRecord& t, const uint8_t* text) {
    uint8_t v[13];
    for (int i = 0; i < 13; ++i) v[i] = hexPair(text + 2 * i);
    t.used = v[0] ? 1 : 0;
    t.type = v[1] ? TRACK_TYPE_NOTE : TRACK_TYPE_DRUM;
    t.mute = v[2] ? 1 : 0;
    t.device = v[3] < 9 ? v[3] : 0;
    t.channel = v[4] & 0x0F;
    t.drumPart = v[5] ? 1 : 0;
    t.bankMsb = v[6] & 0x7F;
    t.bankLsb = v[7] & 0x7F;
    t.program = v[8] & 0x7F;
    t.volume = v[9] & 0x7F;
    t.pan = v[10] & 0x7F;
    t.reverb = v[11] & 0x7F;
    t.chorus = v[12] & 0x7F;
    for (int i = 0; i < 128; ++i) t.noteMap[i] = hexPair(text + 48 + 2 * i) & 0x7F;
}

// Mark tracks 1..16 from the channels used anywhere in the file (one track
// per channel).
void tracksFromChannels(const SmfReadState& st, Sequence& seq) {
    for (int t = 1; t <= USER_TRACKS; ++t) {
        TrackRecord& r = seq.tracks[t];
        if (st.channelUsedFile[t - 1]) {
            r.used = 1;
            r.channel = uint8_t(t - 1);
            r.type = t == 10 ? TRACK_TYPE_DRUM : TRACK_TYPE_NOTE;
        } else {
            r.used = 0;
        }
    }
}

void closePending(SmfReadState& st, int ch, int note) {
    int32_t idx = st.pending[ch][note];
    if (idx < 0) return;
    SeqEvent& e = st.events[size_t(idx)];
    int64_t d = st.tick - e.time;
    if (d < 1) d = 1;
    if (d > MAX_DURATION) d = MAX_DURATION;
    e.value = uint32_t(d);
    st.pending[ch][note] = -1;
}

// Append one event. Returns 0 or ERR_NO_MEMORY when the event count would pass what a
// block can hold (std::bad_alloc is caught by the caller).
int pushEvent(SmfReadState& st, uint8_t track, uint8_t status, uint8_t d1, uint8_t d2, uint32_t value,
              uint32_t value2) {
    if (st.events.size() >= SMF_MAX_EVENTS) return ERR_NO_MEMORY;
    st.events.push_back(SeqEvent{int32_t(st.tick), track, status, d1, d2, value, value2});
    return 0;
}

// An event at the end of the last bar or later has no place in a sequence:
// a note there could not sound, and saved it would end where it starts.
bool atSequenceEnd(const SmfReadState& st) { return st.tick >= SMF_TICK_LIMIT; }

void handleTempo(SmfReadState& st, Sequence& seq, const uint8_t* data, uint32_t len) {
    // Tempo metas time the file only in the first chunk, and never in a
    // time-code file, whose deltas are real time.
    if (st.chunkIndex != 0 || len < 3 || st.timeCode) return;
    uint32_t us = uint32_t(data[0]) << 16 | uint32_t(data[1]) << 8 | data[2];
    if (us == 0) return;
    us = std::clamp<uint32_t>(us, US_PER_QUARTER_MIN, US_PER_QUARTER_MAX);
    uint32_t x10 = 600000000u / us;
    if (st.tempoCount++ == 0) {
        seq.tempoX10 = int32_t(x10);
        return;
    }
    if (atSequenceEnd(st)) return;
    pushEvent(st, TEMPO_TRACK, ST_TEMPO, 0, 0, x10, us);
}

// What an event reader tells the chunk loop besides 0 (read on) and an
// error number: the chunk ends here.
constexpr int READ_CHUNK_ENDS = -1;

// A meta event, after its 0xFF. Returns 0 or READ_CHUNK_ENDS (End of
// Track, or data that runs out).
int readMeta(SmfReadState& st, Sequence& seq, const uint8_t* end) {
    if (st.pos >= end) return READ_CHUNK_ENDS;
    const uint8_t type = *st.pos++;
    uint32_t len;
    if (!readVlq(st.pos, end, len)) return READ_CHUNK_ENDS;
    if (len > uint32_t(end - st.pos)) return READ_CHUNK_ENDS;  // meta runs past the chunk: the chunk ends
    const uint8_t* data = st.pos;
    st.pos += len;
    if (type == 0x2F) {
        st.sawEndOfTrack = true;
        return READ_CHUNK_ENDS;
    }
    if (type == 0x51) {
        handleTempo(st, seq, data, len);
    } else if (type == 0x01) {
        if (len == 32 && st.chunkIndex == 0 && std::memcmp(data, "QZSEQ", 5) == 0) st.ownFile = true;
        if (len == 320 && st.chunkIndex < TRACK_RECORDS) applyTrackSettingsText(seq.tracks[st.chunkIndex], data);
    } else if (type == 0x03 && st.format == 1 && st.chunkIndex >= 1) {
        std::memset(st.chunkName, 0, sizeof st.chunkName);
        for (uint32_t i = 0; i < len && i < 16 && data[i]; ++i)
            st.chunkName[i] = (data[i] < 0x20 || data[i] >= 0x80) ? '*' : char(data[i]);
    }
    return 0;
}

// A system message, after its status byte: system exclusive (skipped; its
// maker names the sound module) or a system common or real-time message.
// Returns 0 or READ_CHUNK_ENDS.
int readSystem(SmfReadState& st, Sequence& seq, uint8_t status, const uint8_t* end) {
    if (status == 0xF0 || status == 0xF7) {
        uint32_t len;
        if (!readVlq(st.pos, end, len)) return READ_CHUNK_ENDS;
        if (status == 0xF0 && len > 0 && st.pos < end) {
            if (*st.pos == 0x41) seq.moduleMode = MODULE_GS;
            if (*st.pos == 0x43) seq.moduleMode = MODULE_XG;
        }
        if (len > uint32_t(end - st.pos)) return READ_CHUNK_ENDS;
        st.pos += len;
        return 0;
    }
    // A system common or real-time message has no place in a file: skip it
    // with the data bytes MIDI gives it, so the events after it keep their
    // timing. Nothing is stored.
    const long skip = (status == 0xF1 || status == 0xF3) ? 1 : status == 0xF2 ? 2 : 0;
    st.pos += std::min<long>(skip, long(end - st.pos));
    return 0;
}

// A channel event of `status`, at its data bytes: stored, or pairing a
// note-off with its note (also at the sequence end, where nothing new is
// stored). Returns 0, READ_CHUNK_ENDS or 3.
int readChannelEvent(SmfReadState& st, uint8_t status, const uint8_t* end) {
    st.runningStatus = status;
    const uint8_t kind = status & 0xF0;
    const int ch = status & 0x0F;
    const int nData = (kind == ST_PROGRAM || kind == ST_CHANNEL_PRESSURE) ? 1 : 2;
    if (end - st.pos < nData) return READ_CHUNK_ENDS;
    // A data byte of 0x80 or more is out of range: the event still takes
    // the bytes its status gives it, so the events after it keep their
    // timing, and the value is held to 127.
    const uint8_t d1 = std::min<uint8_t>(st.pos[0], 0x7F);
    const uint8_t d2 = nData == 2 ? std::min<uint8_t>(st.pos[1], 0x7F) : 0;
    st.pos += nData;
    st.channelUsedFile[ch] = true;
    st.channelUsedChunk[ch] = true;
    if (!st.byChunk) st.destTrack = uint8_t(ch + 1);

    if (kind == ST_NOTE && d2 > 0) {
        closePending(st, ch, d1);
        if (atSequenceEnd(st)) return 0;
        if (int rc = pushEvent(st, st.destTrack, ST_NOTE, d1, d2, SMF_NEW_NOTE_DURATION, 0)) return rc;
        st.pending[ch][d1] = int32_t(st.events.size() - 1);
        return 0;
    }
    if (kind == ST_NOTE || kind == ST_NOTE_OFF) {
        closePending(st, ch, d1);
        return 0;
    }
    if (atSequenceEnd(st)) return 0;
    return pushEvent(st, st.destTrack, kind, d1, d2, 0, 0);
}

// Read the events of the current chunk, from `st.pos` to `st.chunkEnd`.
// Returns 0 or 3.
int readChunkEvents(SmfReadState& st, Sequence& seq) {
    const uint8_t* end = st.chunkEnd;
    st.sawEndOfTrack = false;
    while (st.pos < end) {
        uint32_t delta;
        if (!readVlq(st.pos, end, delta)) break;
        int64_t num = int64_t(delta) * st.tickMul + st.carry;
        st.tick += num / st.tickDiv;
        st.carry = num % st.tickDiv;
        if (st.tick > SMF_TICK_LIMIT) {
            st.tickLimitHit = true;
            break;
        }
        if (st.pos >= end) break;
        uint8_t status = *st.pos;
        if (status >= 0x80) {
            ++st.pos;
        } else {
            status = st.runningStatus;
            if (status == 0) {  // data byte with no status to run on
                ++st.pos;
                continue;
            }
        }
        const int rc = status == 0xFF   ? readMeta(st, seq, end)
                       : status >= 0xF0 ? readSystem(st, seq, status, end)
                                        : readChannelEvent(st, status, end);
        if (rc == READ_CHUNK_ENDS) break;
        if (rc) return rc;
    }
    return 0;
}

void startChunk(SmfReadState& st) {
    st.tick = 0;
    st.carry = 0;
    st.runningStatus = 0;
    std::memset(st.chunkName, 0, sizeof st.chunkName);
    std::memset(st.channelUsedChunk, 0, sizeof st.channelUsedChunk);
    for (auto& row : st.pending) std::fill(std::begin(row), std::end(row), -1);
}

// Set the tick conversion from the header's division. False for a division
// that cannot time anything (0, or a time-code division without frames).
bool setDivision(SmfReadState& st, uint32_t division) {
    st.division = division;
    st.timeCode = (division & 0x8000) != 0;
    if (!st.timeCode) {
        if (division == 0) return false;
        st.tickMul = TICKS_PER_QUARTER;
        st.tickDiv = division;
        return true;
    }
    // Time code: frames per second in the high byte (negative), ticks per
    // frame in the low byte. Real time is mapped onto our ticks at 120.0
    // beats per minute, i.e. 192 ticks per second; 29 means 29.97 frames.
    const int fps = -int(int8_t(division >> 8));
    const int perFrame = int(division & 0xFF);
    if (fps <= 0 || perFrame == 0) return false;
    if (fps == 29) {
        st.tickMul = 192 * 1001;
        st.tickDiv = int64_t(30000) * perFrame;
    } else {
        st.tickMul = 192;
        st.tickDiv = int64_t(fps) * perFrame;
    }
    return true;
}

// Channel events of the first chunk of a file read chunk by chunk would sit
// on track 0, which no screen shows and no save writes: they go to the first
// track that no chunk filled, when there is one.
void moveFirstChunkEvents(SmfReadState& st, Sequence& seq, int chunksRead, const bool* channels) {
    const int target = std::max(chunksRead, 1);
    if (target > USER_TRACKS) return;
    bool any = false;
    for (SeqEvent& e : st.events) {
        if (e.track != 0) continue;
        e.track = uint8_t(target);
        any = true;
    }
    if (!any) return;
    TrackRecord& tr = seq.tracks[target];
    tr.used = 1;
    tr.type = TRACK_TYPE_NOTE;
    for (int ch = 0; ch < 16; ++ch) {
        if (!channels[ch]) continue;
        tr.channel = uint8_t(ch);
        tr.type = ch == 9 ? TRACK_TYPE_DRUM : TRACK_TYPE_NOTE;
        break;
    }
}

int parseSmfBody(SmfReadState& st, const uint8_t* begin, const uint8_t* end, Sequence& seq) {
    const size_t size = size_t(end - begin);
    st.carry = 0;
    st.tempoCount = 0;
    st.ownFile = false;
    st.tickLimitHit = false;
    st.longest = 0;
    st.chunkIndex = 0;
    st.destTrack = 0;
    std::memset(st.channelUsedFile, 0, sizeof st.channelUsedFile);
    st.events.clear();
    startChunk(st);

    if (size < 22 || std::memcmp(begin, "MThd", 4) != 0) return ERR_MID_BROKEN;
    st.format = begin[9];
    if (st.format > 1) return ERR_MID_BROKEN;
    st.chunkCount = int(be16(begin + 10));
    if (!setDivision(st, be16(begin + 12))) return ERR_MID_BROKEN;
    if (std::memcmp(begin + 14, "MTrk", 4) != 0) return ERR_MID_BROKEN;

    if (st.format == 0) {
        // The chunk length is not trusted: events are read to the end of
        // the file or the End of Track.
        st.byChunk = false;
        st.pos = begin + 22;
        st.chunkEnd = end;
        if (int rc = readChunkEvents(st, seq)) return rc;
        st.longest = st.tick;
        tracksFromChannels(st, seq);
        return 0;
    }

    const int count = std::min(st.chunkCount, USER_TRACKS + 1);
    st.byChunk = count >= 3;
    uint64_t next = 22 + uint64_t(be32(begin + 18));
    st.pos = begin + 22;
    st.chunkEnd = begin + std::min<uint64_t>(next, size);
    if (int rc = readChunkEvents(st, seq)) return rc;
    st.longest = st.tick;
    size_t merged = st.events.size();
    bool firstChunkChannels[16];
    std::memcpy(firstChunkChannels, st.channelUsedChunk, sizeof firstChunkChannels);

    int chunksRead = 1;
    for (int k = 1; k < count; ++k) {
        if (next + 8 > size) break;  // the header promised more chunks than the file holds
        const uint8_t* hdr = begin + next;
        if (std::memcmp(hdr, "MTrk", 4) != 0) return ERR_MID_BROKEN;
        uint64_t chunkStart = next + 8;
        next = chunkStart + be32(hdr + 4);
        st.chunkIndex = k;
        st.destTrack = uint8_t(k);
        startChunk(st);
        st.pos = begin + chunkStart;
        st.chunkEnd = begin + std::min<uint64_t>(next, size);
        if (int rc = readChunkEvents(st, seq)) return rc;

        TrackRecord& tr = seq.tracks[k];
        if (st.chunkName[0]) std::memcpy(tr.name, st.chunkName, sizeof tr.name);
        if (st.byChunk && !st.ownFile) {
            tr.used = 1;
            tr.type = TRACK_TYPE_NOTE;
            for (int ch = 0; ch < 16; ++ch) {
                if (!st.channelUsedChunk[ch]) continue;
                tr.channel = uint8_t(ch);
                tr.type = ch == 9 ? TRACK_TYPE_DRUM : TRACK_TYPE_NOTE;
                break;
            }
        }
        // Earlier chunks' events come first at equal ticks.
        std::inplace_merge(st.events.begin(), st.events.begin() + std::ptrdiff_t(merged), st.events.end(),
                           [](const SeqEvent& a, const SeqEvent& b) { return a.time < b.time; });
        merged = st.events.size();
        st.longest = std::max(st.longest, st.tick);
        chunksRead = k + 1;
    }
    if (st.byChunk && !st.ownFile) moveFirstChunkEvents(st, seq, chunksRead, firstChunkChannels);
    if (!st.byChunk) tracksFromChannels(st, seq);
    return 0;
}

}  // namespace

int parseSmf(SmfReadState& st, const uint8_t* begin, const uint8_t* end, Sequence& seq) {
    int rc;
    try {
        rc = parseSmfBody(st, begin, end, seq);
    } catch (const std::bad_alloc&) {
        rc = ERR_NO_MEMORY;
    }
    if (rc) {
        st.events.clear();
        return rc;
    }
    seq.eventCount = int32_t(st.events.size());
    int64_t bars = (st.longest + TICKS_PER_BAR - 1) / TICKS_PER_BAR;
    seq.bars = uint32_t(std::clamp<int64_t>(bars, 1, MAX_BARS));
    return 0;
}

void initLoadedHeader(const SongStore& app, Sequence& seq) {
    buildDefaultSequence(seq, app.settings.defaultTrackType ? TRACK_TYPE_NOTE : TRACK_TYPE_DRUM);
    seq.exists = 1;
    seq.eventCount = 0;
    seq.moduleMode = MODULE_NONE;
    for (int n = 1; n <= USER_TRACKS; ++n) seq.tracks[n].channel = uint8_t(n - 1);
}

Sequence* buildLoadedBlock(const Sequence& header, const SeqEvent* ev, size_t count) {
    if (count > SMF_MAX_EVENTS) return nullptr;
    const uint32_t bytes = uint32_t(SEQ_HEADER_SIZE + (count + 256) * sizeof(SeqEvent));
    Sequence* s = allocSequenceBlock(bytes);
    if (!s) return nullptr;
    const uint32_t handle = s->heapHandle;
    std::memcpy(static_cast<void*>(s), &header, SEQ_HEADER_SIZE);
    s->eventsOffset = SEQ_HEADER_SIZE;
    s->heapHandle = handle;
    s->capacity = bytes;
    s->eventCount = int32_t(count);
    if (count) std::memcpy(static_cast<void*>(seqEvents(s)), ev, count * sizeof(SeqEvent));
    return s;
}

int loadMidiImage(SongStore& app, const uint8_t* data, size_t size, const char* name, const std::string& path) {
    const int slot = firstFreeSlot(app);
    if (slot > MAX_SLOTS) return ERR_ROOM_FULL;
    SmfReadState st;
    Sequence header;
    initLoadedHeader(app, header);
    if (int rc = parseSmf(st, data, data + size, header)) return rc;
    Sequence* block = buildLoadedBlock(header, st.events.data(), st.events.size());
    if (!block) return ERR_NO_MEMORY;
    if (!st.ownFile) {
        foldSustainPedal(block);
        takeTrackDefaults(block);
    }
    block->unsaved = 0;
    block->modified = 0;
    nameLoadedSequence(block, name, path);
    const uint32_t bars = block->bars;
    app.settings.zoomLevel = bars <= 2 ? 1 : bars <= 4 ? 2 : bars <= 8 ? 3 : 4;
    app.allTracks = !st.ownFile;
    installSequence(app, slot, block);
    selectSlot(app, slot);
    return 0;
}

int loadMidiFile(SongStore& app, const std::string& path, const char* name) {
    if (firstFreeSlot(app) > MAX_SLOTS) return ERR_ROOM_FULL;
    std::vector<uint8_t> file;
    if (int rc = readWholeFile(path, file)) return rc;
    return loadMidiImage(app, file.data(), file.size(), name, path);
}

}  // namespace qz
