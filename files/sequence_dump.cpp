#include "files/sequence_dump.h"

#include <cstdio>

#include "song/records.h"

namespace qz {

void dumpSequence(const Sequence* s, std::string& out) {
    char line[160];
    char name[NAME_FIELD];
    auto nameOf = [&name](const char* field) {
        int i = 0;
        for (; i < NAME_FIELD - 1 && field[i]; ++i) name[i] = field[i];
        name[i] = 0;
        return name;
    };
    std::snprintf(line, sizeof line, "sequence name=%s bars=%u tempo=%d events=%d module=%u\n", nameOf(s->name),
                  s->bars, s->tempoX10, s->eventCount, s->moduleMode);
    out += line;
    for (int t = 1; t <= USER_TRACKS; ++t) {
        const TrackRecord& r = s->tracks[t];
        std::snprintf(line, sizeof line, "track %d used=%d type=%s channel=%d name=%s\n", t, r.used ? 1 : 0,
                      r.type == TRACK_TYPE_DRUM ? "DRUM" : "NOTE", (r.channel & 0x0F) + 1, nameOf(r.name));
        out += line;
    }
    const SeqEvent* ev = seqEvents(s);
    const int32_t count = s->eventCount < seqEventRoom(s) ? s->eventCount : seqEventRoom(s);
    for (int32_t i = 0; i < count; ++i) {
        const SeqEvent& e = ev[i];
        std::snprintf(line, sizeof line, "event %d %u 0x%02X %u %u %u %u\n", e.time, e.track, e.status, e.data1,
                      e.data2, e.value, e.value2);
        out += line;
    }
}

}  // namespace qz
