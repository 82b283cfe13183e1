// File commands of the command-line tool: info, dump and convert. They load
// through the same readers and the same extension dispatch as the window.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <system_error>

#include "app/cli/commands.h"
#include "files/file_common.h"
#include "files/sequence_dump.h"
#include "files/smf_writer.h"
#include "program/app_state.h"
#include "program/loader.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz::cli {

namespace {

// Owns a fresh application state for one command.
struct LoadedState {
    std::unique_ptr<AppState> app = std::make_unique<AppState>();
    ~LoadedState() { freeAppState(*app); }
};

// Load `path` by its extension into a fresh state. Returns 0, or the exit
// code after printing the error on stderr.
int loadForCommand(LoadedState& st, const char* path, int& kind) {
    if (initAppState(*st.app) != 0) {
        std::fprintf(stderr, "%s\n", fileErrorText(ERR_NO_MEMORY));
        return 1;
    }
    kind = fileKindOf(path);
    if (kind == FILE_KIND_NONE) {
        std::fprintf(stderr, "qzseq-cli: %s: not a .mid, .seq or .all file\n", path);
        return 2;
    }
    const int rc = loadFileByKind(*st.app, path, kind, nullptr);
    if (rc != 0) {
        std::fprintf(stderr, "%s\n", fileErrorText(rc));
        return 1;
    }
    return 0;
}

const char* kindName(int kind) { return kind == FILE_KIND_MID ? "MID" : kind == FILE_KIND_SEQ ? "SEQ" : "ALL"; }

int usage(const char* text) {
    std::fprintf(stderr, "usage: qzseq-cli %s\n", text);
    return 2;
}

}  // namespace

// `dump FILE...`: one file's records; for several files each file's records
// after a line "file <name>", a file that does not load ending its part with
// "failed <exit code>" (the error text on stderr). The exit code is the
// first failure's, 0 when every file loaded.
int cmdDump(int argc, char** argv) {
    if (argc < 2) return usage("dump FILE...");
    const bool several = argc > 2;
    int firstFailure = 0;
    for (int i = 1; i < argc; ++i) {
        if (several) std::printf("file %s\n", std::filesystem::path(argv[i]).filename().string().c_str());
        LoadedState st;
        int kind = 0;
        if (int rc = loadForCommand(st, argv[i], kind)) {
            if (!several) return rc;
            std::printf("failed %d\n", rc);
            if (!firstFailure) firstFailure = rc;
            continue;
        }
        std::string out;
        for (int slot = 1; slot <= MAX_SLOTS; ++slot)
            if (const Sequence* s = st.app->slots[slot]) dumpSequence(s, out);
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? firstFailure : 1;
}

int cmdInfo(int argc, char** argv) {
    if (argc != 2) return usage("info FILE");
    LoadedState st;
    int kind = 0;
    if (int rc = loadForCommand(st, argv[1], kind)) return rc;
    int count = 0;
    for (int slot = 1; slot <= MAX_SLOTS; ++slot) count += st.app->slots[slot] ? 1 : 0;
    std::printf("file %s kind=%s sequences=%d\n", argv[1], kindName(kind), count);
    for (int slot = 1; slot <= MAX_SLOTS; ++slot) {
        const Sequence* s = st.app->slots[slot];
        if (!s) continue;
        int notes = 0, tempos = 0;
        int perTrack[USER_TRACKS + 1] = {};
        const SeqEvent* ev = seqEvents(s);
        for (int32_t i = 0; i < s->eventCount; ++i) {
            notes += ev[i].status == ST_NOTE ? 1 : 0;
            tempos += isTempoEvent(ev[i]) ? 1 : 0;
            if (ev[i].track >= 1 && ev[i].track <= USER_TRACKS) ++perTrack[ev[i].track];
        }
        const char* module = s->moduleMode == MODULE_GS ? "GS" : s->moduleMode == MODULE_XG ? "XG" : "none";
        std::printf("sequence %d name=%.16s bars=%u tempo=%d.%d events=%d notes=%d tempo-changes=%d module=%s\n", slot,
                    s->name, s->bars, s->tempoX10 / 10, s->tempoX10 % 10, s->eventCount, notes, tempos, module);
        for (int t = 1; t <= USER_TRACKS; ++t) {
            const TrackRecord& r = s->tracks[t];
            if (!r.used) continue;
            std::printf("  track %d %s channel=%d events=%d name=%.16s\n", t,
                        r.type == TRACK_TYPE_DRUM ? "DRUM" : "NOTE", (r.channel & 0x0F) + 1, perTrack[t], r.name);
        }
    }
    return 0;
}

int cmdConvert(int argc, char** argv) {
    if (argc != 3) return usage("convert IN OUT");
    LoadedState st;
    int kind = 0;
    if (int rc = loadForCommand(st, argv[1], kind)) return rc;
    AppState& app = *st.app;
    if (kind != FILE_KIND_ALL) {
        Sequence* s = app.slots[app.currentSlot];
        if (!s) {
            std::fprintf(stderr, "%s\n", fileErrorText(ERR_NOT_SEQUENCE));
            return 1;
        }
        if (int rc = writeMidiFile(argv[2], s)) {
            std::fprintf(stderr, "%s\n", fileErrorText(rc));
            return 1;
        }
        return 0;
    }
    std::error_code ec;
    std::filesystem::create_directories(argv[2], ec);
    if (!std::filesystem::is_directory(argv[2], ec)) {
        std::fprintf(stderr, "%s\n", fileErrorText(ERR_FILE_OPEN));
        return 1;
    }
    std::set<std::string> written;
    for (int slot = 1; slot <= MAX_SLOTS; ++slot) {
        Sequence* s = app.slots[slot];
        if (!s) continue;
        std::string file = sequenceFileName(s);
        // Two sequences of one package may share a name; neither is lost.
        if (!written.insert(file).second) {
            file = std::to_string(slot) + "_" + file;
            written.insert(file);
        }
        const std::string path = (std::filesystem::path(argv[2]) / file).string();
        if (int rc = writeMidiFile(path, s)) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), fileErrorText(rc));
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}

}  // namespace qz::cli
