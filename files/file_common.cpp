#include "files/file_common.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>

#include "song/records.h"
#include "song/song_store.h"

namespace qz {

// 0 is no error of the file layer's: it reads as an unknown one.
const char* fileErrorText(int code) { return errorText(code == 0 ? -1 : code); }

int readWholeFile(const std::string& path, std::vector<uint8_t>& out) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return ERR_FILE_OPEN;
    std::ifstream in(path, std::ios::binary);
    if (!in) return ERR_FILE_OPEN;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) return ERR_FILE_READ;
    in.seekg(0, std::ios::beg);
    try {
        out.resize(size_t(size));
    } catch (const std::bad_alloc&) {
        return 3;
    } catch (const std::length_error&) {
        return 3;
    }
    if (size > 0 && !in.read(reinterpret_cast<char*>(out.data()), size)) return ERR_FILE_READ;
    return 0;
}

int writeFileReplacing(const std::string& path, const uint8_t* data, size_t size) {
    const std::string temp = path + ".qztmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return ERR_FILE_OPEN;
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return ERR_FILE_SAVE;
        }
        out.close();
        if (out.fail()) {
            std::remove(temp.c_str());
            return ERR_FILE_SAVE;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::remove(temp.c_str());
        return ERR_FILE_SAVE;
    }
    return 0;
}

void deriveSequenceName(const std::string& path, char out[17]) {
    std::memset(out, 0, 17);
    size_t start = path.find_last_of("/\\");
    start = (start == std::string::npos) ? 0 : start + 1;
    int n = 0;
    for (size_t i = start; i < path.size() && n < 16; ++i) {
        if (path[i] == '.') break;
        out[n++] = path[i];
    }
}

void nameLoadedSequence(Sequence* s, const char* name, const std::string& path) {
    if (name) {
        std::memset(s->name, 0, sizeof s->name);
        for (int i = 0; i < 16 && name[i] && name[i] != '.'; ++i) s->name[i] = name[i];
    } else {
        deriveSequenceName(path, s->name);
    }
}

}  // namespace qz
