#include "program/loader.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "files/file_common.h"
#include "files/mpc_reader.h"
#include "files/smf_reader.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace qz {

int fileKindOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < start) return FILE_KIND_NONE;
    std::string ext = path.substr(dot, 4);
    for (char& c : ext) c = char(std::toupper(uint8_t(c)));
    if (ext == ".MID") return FILE_KIND_MID;
    if (ext == ".SEQ") return FILE_KIND_SEQ;
    if (ext == ".ALL") return FILE_KIND_ALL;
    return FILE_KIND_NONE;
}

void setLoadedAllTracks(AppState& app, bool readerChoice) {
    app.allTracks = readerChoice && !app.rec.inTrackMuteMode.load(std::memory_order_relaxed);
}

int loadFileByKind(AppState& app, const std::string& path, int kind, const char* name) {
    switch (kind) {
        case FILE_KIND_MID: {
            const int rc = loadMidiFile(app, path, name);
            if (rc == 0) setLoadedAllTracks(app, app.allTracks);
            return rc;
        }
        case FILE_KIND_SEQ:
            return loadMpcSequence(app, path, name);
        case FILE_KIND_ALL:
            return loadMpcPackage(app, path);
        default:
            return ERR_NOT_SEQUENCE;
    }
}

int loadFolder(AppState& app, const std::string& folder) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return ERR_FILE_OPEN;
    {
        LoadBatch batch(app);
        for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
            if (ec) break;
            std::error_code ec2;
            if (it->is_directory(ec2)) continue;
            const std::string p = it->path().string();
            if (fileKindOf(p) == FILE_KIND_MID && loadMidiFile(app, p, nullptr) == 0)
                setLoadedAllTracks(app, app.allTracks);
        }
    }
    selectSequence(app, 1, app.loadBatch == 0);
    return 0;
}

}  // namespace qz
