#include "files/smf_writer.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>

#include "files/file_common.h"
#include "song/records.h"
#include "song/song_store.h"

namespace qz {

namespace {

struct NoteOff {
    int64_t tick;
    uint8_t status;
    uint8_t note;
};

struct Encoder {
    std::vector<uint8_t>& out;
    int64_t lastTime = 0;
    std::vector<NoteOff> offs;  // ascending tick; equal ticks in queuing order

    void byte(uint8_t b) { out.push_back(b); }
    void bytes(const void* p, size_t n) {
        const size_t at = out.size();
        out.resize(at + n);
        std::memcpy(out.data() + at, p, n);
    }
    void vlq(uint32_t v) {
        uint8_t tmp[5];
        int n = 0;
        tmp[n++] = uint8_t(v & 0x7F);
        while (v >>= 7) tmp[n++] = uint8_t(0x80 | (v & 0x7F));
        while (n) byte(tmp[--n]);
    }
    // Delta from the last written time; never negative.
    void deltaTo(int64_t t) {
        int64_t d = t > lastTime ? t - lastTime : 0;
        if (d > 0x0FFFFFFF) d = 0x0FFFFFFF;
        vlq(uint32_t(d));
        lastTime = std::max(lastTime, t);
    }
    void be32At(size_t at, uint32_t v) {
        out[at] = uint8_t(v >> 24);
        out[at + 1] = uint8_t(v >> 16);
        out[at + 2] = uint8_t(v >> 8);
        out[at + 3] = uint8_t(v);
    }
    void tempoMeta(uint32_t us) {
        const uint8_t m[6] = {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)};
        bytes(m, sizeof m);
    }
    void queueOff(int64_t tick, uint8_t status, uint8_t note) {
        auto at = std::upper_bound(offs.begin(), offs.end(), tick,
                                   [](int64_t t, const NoteOff& o) { return t < o.tick; });
        offs.insert(at, NoteOff{tick, status, note});
    }
    // Write the queued note-offs due at or before tick t.
    void flushOffs(int64_t t) {
        size_t n = 0;
        while (n < offs.size() && offs[n].tick <= t) {
            deltaTo(offs[n].tick);
            const uint8_t m[3] = {offs[n].status, offs[n].note, 64};
            bytes(m, 3);
            ++n;
        }
        offs.erase(offs.begin(), offs.begin() + std::ptrdiff_t(n));
    }
};

// Tempo x 10 as the program plays it: out-of-range values mean 120.0.
int32_t playedTempoX10(int32_t x10) { return (x10 < TEMPO_X10_MIN || x10 > TEMPO_X10_MAX) ? TEMPO_X10_DEFAULT : x10; }

// Microseconds per quarter for a tempo event: its own value when that is
// the exact tempo of its `value`, else derived from the held `value`.
uint32_t tempoEventUs(const SeqEvent& e) {
    const uint32_t x10 = std::clamp<uint32_t>(e.value, TEMPO_X10_MIN, TEMPO_X10_MAX);
    if (e.value2 >= uint32_t(US_PER_QUARTER_MIN) && e.value2 <= uint32_t(US_PER_QUARTER_MAX) &&
        600000000u / e.value2 == x10)
        return e.value2;
    return 600000000u / x10;
}

const char HEX_DIGITS[] = "0123456789ABCDEF";

void hexPair(uint8_t* at, uint8_t v) {
    at[0] = uint8_t(HEX_DIGITS[v >> 4]);
    at[1] = uint8_t(HEX_DIGITS[v & 15]);
}

void writeTrackTemplate(Encoder& en, const TrackRecord& t) {
    uint8_t tpl[353];
    std::memcpy(tpl, "MTrk\0\0\0\0\x00\xFF\x03\x10", 12);
    int n = 0;
    for (; n < 16; ++n) {
        uint8_t c = uint8_t(t.name[n]);
        if (c == 0 || c >= 0x80) break;
        tpl[12 + n] = c;
    }
    for (; n < 16; ++n) tpl[12 + n] = ' ';
    std::memcpy(tpl + 28, "\x00\xFF\x01\x82\x40", 5);
    uint8_t* text = tpl + 33;
    const uint8_t fields[13] = {t.used,    t.type,    t.mute,    t.device,  t.channel, t.drumPart, t.bankMsb,
                                t.bankLsb, t.program, t.volume, t.pan,     t.reverb,  t.chorus};
    for (int i = 0; i < 13; ++i) hexPair(text + 2 * i, fields[i]);
    for (int i = 26; i < 48; ++i) text[i] = '0';
    for (int i = 0; i < 128; ++i) hexPair(text + 48 + 2 * i, t.noteMap[i]);
    std::memset(text + 304, 0, 16);
    en.bytes(tpl, sizeof tpl);
}

// Write the system-exclusive chain starting at event i; returns the index of
// its last record.
int32_t writeSysex(Encoder& en, const SeqEvent* ev, int32_t count, int32_t i) {
    uint8_t raw[10];
    std::memcpy(raw, reinterpret_cast<const uint8_t*>(&ev[i]) + 6, 10);
    std::vector<uint8_t> body;
    bool closed = false;
    for (int k = 1; k < 10 && !closed; ++k) {
        body.push_back(raw[k]);
        closed = raw[k] == 0xF7;
    }
    int32_t j = i;
    while (!closed && j + 1 < count && ev[j + 1].status == ST_SYSEX && ev[j + 1].data1 != 0xF0 &&
           ev[j + 1].track == ev[i].track) {
        ++j;
        std::memcpy(raw, reinterpret_cast<const uint8_t*>(&ev[j]) + 6, 10);
        for (int k = 0; k < 10 && !closed; ++k) {
            body.push_back(raw[k]);
            closed = raw[k] == 0xF7;
        }
    }
    if (!closed) body.push_back(0xF7);  // a chain cut short still ends its message
    en.deltaTo(ev[i].time);
    en.byte(0xF0);
    en.vlq(uint32_t(body.size()));
    en.bytes(body.data(), body.size());
    return j;
}

void writeTrackChunk(Encoder& en, const Sequence* s, int t) {
    const TrackRecord& tr = s->tracks[t];
    const uint8_t c = tr.channel & 0x0F;
    const int64_t length = seqLengthTicks(s);
    const size_t chunkStart = en.out.size();
    en.lastTime = 0;
    en.offs.clear();
    writeTrackTemplate(en, tr);
    const SeqEvent* ev = seqEvents(s);
    const int32_t count = std::min(s->eventCount, seqEventRoom(s));
    for (int32_t i = 0; i < count; ++i) {
        const SeqEvent& e = ev[i];
        if (e.track != t || e.status < ST_NOTE) continue;
        const uint8_t kind = e.status & 0xF0;
        if ((e.status & 0x0F) != 0 && e.status != ST_SYSEX) continue;
        if (e.status == ST_SYSEX) {
            if (e.data1 != 0xF0) continue;  // a stray continuation record
            en.flushOffs(e.time);
            i = writeSysex(en, ev, count, i);
            continue;
        }
        if (kind > ST_PITCH_BEND) continue;
        en.flushOffs(e.time);
        en.deltaTo(e.time);
        en.byte(uint8_t(kind | c));
        en.byte(e.data1 & 0x7F);
        // A note-on of velocity 0 would be read as a note-off: the note
        // keeps its place at the softest velocity instead.
        if (kind == ST_NOTE)
            en.byte(std::max<uint8_t>(e.data2 & 0x7F, 1));
        else if (kind != ST_PROGRAM && kind != ST_CHANNEL_PRESSURE)
            en.byte(e.data2 & 0x7F);
        if (kind == ST_NOTE) {
            const int64_t dur = isOpenNote(e) ? 12 : int64_t(e.value);
            const int64_t off = std::max<int64_t>(e.time, std::min<int64_t>(e.time + dur, length));
            en.queueOff(off, uint8_t(ST_NOTE_OFF | c), e.data1 & 0x7F);
        }
    }
    en.flushOffs(INT64_MAX);
    const uint8_t eot[4] = {0x00, 0xFF, 0x2F, 0x00};
    en.bytes(eot, 4);
    en.be32At(chunkStart + 4, uint32_t(en.out.size() - chunkStart - 8));
}

int encodeBody(const Sequence* s, std::vector<uint8_t>& out) {
    out.clear();
    if (out.capacity() < (1u << 20)) out.reserve(1u << 20);
    Encoder en{out, 0, {}};
    static const uint8_t HEADER[82] = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 0x11, 0, 0x60, 'M', 'T', 'r', 'k', 0, 0, 0, 0,
        0, 0xFF, 0x01, 0x20, 'Q', 'Z', 'S', 'E', 'Q', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
        ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
        0, 0xFF, 0x51, 0x03, 0, 0, 0,
        0, 0xFF, 0x54, 0x05, 0, 0, 0, 0, 0,
        0, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08};
    en.bytes(HEADER, sizeof HEADER);
    const uint32_t us = 600000000u / uint32_t(playedTempoX10(s->tempoX10));
    out[62] = uint8_t(us >> 16);
    out[63] = uint8_t(us >> 8);
    out[64] = uint8_t(us);

    const SeqEvent* ev = seqEvents(s);
    const int32_t count = std::min(s->eventCount, seqEventRoom(s));
    en.lastTime = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (!isTempoEvent(ev[i])) continue;
        en.deltaTo(ev[i].time);
        en.tempoMeta(tempoEventUs(ev[i]));
    }
    en.deltaTo(seqLengthTicks(s));
    const uint8_t eot[3] = {0xFF, 0x2F, 0x00};
    en.bytes(eot, 3);
    en.be32At(18, uint32_t(out.size() - 22));

    for (int t = 1; t <= USER_TRACKS; ++t) writeTrackChunk(en, s, t);
    return 0;
}

}  // namespace

int encodeSequence(const Sequence* s, std::vector<uint8_t>& out) {
    try {
        return encodeBody(s, out);
    } catch (const std::bad_alloc&) {
        out.clear();
        return ERR_NO_MEMORY;
    }
}

int writeMidiFile(const std::string& path, Sequence* s) {
    std::vector<uint8_t> image;
    if (int rc = encodeSequence(s, image)) return rc;
    if (int rc = writeFileReplacing(path, image.data(), image.size())) return rc;
    s->unsaved = 0;
    s->modified = 0;
    return 0;
}

std::string sequenceFileName(const Sequence* s) {
    std::string name;
    for (int i = 0; i < 16 && s->name[i]; ++i) {
        const char c = s->name[i];
        const bool bad = uint8_t(c) < 0x20 || std::strchr("/\\:*?\"<>|", c) != nullptr;
        name += bad ? '_' : c;
    }
    // A name made only of dots would name a folder.
    if (name.find_first_not_of('.') == std::string::npos) name = "Sequence" + name;
    if (name.find('.') == std::string::npos) name += ".mid";
    return name;
}

int saveChangedSequences(SongStore& app, const std::string& folder) {
    int result = 0;
    for (int slot = 1; slot <= app.lastSlot && slot <= MAX_SLOTS; ++slot) {
        Sequence* s = app.slots[slot];
        if (!s) break;
        if (!s->unsaved && !s->modified) continue;
        const std::string path = (std::filesystem::path(folder) / sequenceFileName(s)).string();
        const int rc = writeMidiFile(path, s);
        if (rc == 0) continue;
        result = rc;
        postError(app, rc);
        if (rc == ERR_FILE_OPEN) break;
    }
    return result;
}

}  // namespace qz
