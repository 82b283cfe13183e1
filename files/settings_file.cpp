#include "files/settings_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "files/file_common.h"
#include "files/loader_state.h"
#include "song/persistent_settings.h"
#include "song/song_store.h"

namespace qz {

namespace {

// True when a file can be created in `folder`.
bool folderWritable(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return false;
    const std::filesystem::path probe = folder / "QZSEQ.qzi.probe";
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        if (!out) return false;
    }
    std::filesystem::remove(probe, ec);
    return true;
}

// The user's configuration folder for this program (not created here).
std::filesystem::path userConfigFolder() {
#ifdef _WIN32
    if (const char* appData = std::getenv("APPDATA"); appData && *appData)
        return std::filesystem::path(appData) / "qzseq";
#endif
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::filesystem::path(xdg) / "qzseq";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".config" / "qzseq";
    return {};
}

template <typename T>
void holdBelow(T& v, T limit, T fallback) {
    if (v >= limit) v = fallback;
}

void sanitizeTrack(TrackRecord& t) {
    t.name[NAME_FIELD - 1] = 0;
    t.used = t.used ? 1 : 0;
    t.type = t.type ? TRACK_TYPE_NOTE : TRACK_TYPE_DRUM;
    t.mute = t.mute ? 1 : 0;
    holdBelow<uint8_t>(t.device, 9, 0);
    t.channel &= 0x0F;
    t.drumPart = t.drumPart ? 1 : 0;
    for (uint8_t* v : {&t.bankMsb, &t.bankLsb, &t.program, &t.volume, &t.pan, &t.reverb, &t.chorus}) *v &= 0x7F;
    for (uint8_t& m : t.noteMap) m &= 0x7F;
    for (uint8_t& m : t.noteMute) m = m ? 1 : 0;
}

// Values used as indices or sent as MIDI bytes are held to their ranges; the
// default sequence holds no events whatever the file says.
void sanitizeSettings(PersistentSettings& p) {
    PersistentSettings d;
    setDefaultSettings(d);
    holdBelow(p.deviceByTrack, 2u, d.deviceByTrack);
    holdBelow(p.masterDevice, 9u, d.masterDevice);
    for (uint32_t& m : p.resetMode) holdBelow(m, 3u, 0u);
    holdBelow(p.tcIndex, uint32_t(TC_ROWS), d.tcIndex);
    holdBelow(p.zoomLevel, 5u, d.zoomLevel);
    holdBelow(p.clickNote, 128u, d.clickNote);
    holdBelow(p.clickChannel, 16u, d.clickChannel);
    holdBelow(p.clickPort, 9u, d.clickPort);
    holdBelow(p.arpeggio, 14u, d.arpeggio);
    holdBelow(p.defaultTrackType, 2u, d.defaultTrackType);
    holdBelow(p.inputPadBase, 7u, d.inputPadBase);
    for (uint32_t& b : p.trackPadBase) holdBelow(b, 7u, 2u);
    for (int i = 0; i < 16; ++i) {
        holdBelow(p.chordTrigger[i], 128u, d.chordTrigger[i]);
        holdBelow(p.chordType[i], uint32_t(CHORD_TYPES), d.chordType[i]);
    }
    for (ChordDef& c : p.chordTable) c.name[sizeof c.name - 1] = 0;
    holdBelow(p.inChannel, 17u, 0u);
    holdBelow(p.clockInPort, 9u, d.clockInPort);
    holdBelow(p.clockOutPort, 10u, d.clockOutPort);
    holdBelow(p.midiButtonDevice, 9u, d.midiButtonDevice);
    for (int i = 0; i < MIDI_BUTTONS; ++i) {
        holdBelow(p.midiButtonChannel[i], 16u, 0u);
        holdBelow(p.midiButtonNumber[i], 128u, 0u);
        holdBelow(p.midiButtonStatus[i], 256u, 0u);
    }
    p.midiFolder[SETTINGS_PATH_BYTES - 1] = 0;

    Sequence& s = p.defaultSequence;
    s.eventsOffset = SEQ_HEADER_SIZE;
    s.capacity = SEQ_HEADER_SIZE;
    s.eventCount = 0;
    s.exists = 0;
    s.name[NAME_FIELD - 1] = 0;
    if (s.bars < 1 || s.bars > uint32_t(MAX_BARS)) s.bars = 2;
    holdBelow(s.moduleMode, 3u, 0u);
    for (TrackRecord& t : s.tracks) sanitizeTrack(t);
}

}  // namespace

std::string settingsFolderFor(const std::string& programFolder) {
    if (folderWritable(programFolder)) return programFolder;
    std::filesystem::path cfg = userConfigFolder();
    if (cfg.empty()) return programFolder;
    std::error_code ec;
    std::filesystem::create_directories(cfg, ec);
    return cfg.string();
}

bool readSettingsImage(PersistentSettings& p, const uint8_t* data, size_t size) {
    if (size != SETTINGS_SIZE) return false;
    std::memcpy(static_cast<void*>(&p), data, SETTINGS_SIZE);
    p.inChannel = 0;
    if (p.accentVelocity == 0 || p.accentVelocity > 127) p.accentVelocity = 127;
    if (p.normalVelocity == 0 || p.normalVelocity > 127) p.normalVelocity = 127;
    sanitizeSettings(p);
    return true;
}

void loadSettings(PersistentSettings& settings, LoaderState& l) {
    const std::string folder = settingsFolderFor(l.programFolder);
    l.settingsPath = (std::filesystem::path(folder) / SETTINGS_FILE_NAME).string();
    l.midiFolder = l.browseFolder = l.loadFolder = l.spareFolder = l.programFolder;

    std::error_code ec;
    if (!std::filesystem::exists(l.settingsPath, ec)) return;
    std::vector<uint8_t> file;
    // Read into a buffer first so a failed read leaves the block as it was.
    if (readWholeFile(l.settingsPath, file) == 0 && readSettingsImage(settings, file.data(), file.size())) {
        const std::string stored = settings.midiFolder;
        if (!stored.empty()) {
            if (std::filesystem::is_directory(stored, ec)) l.midiFolder = stored;
            l.browseFolder = l.loadFolder = l.spareFolder = l.midiFolder;
        }
        return;
    }
    setDefaultSettings(settings);
    saveSettings(settings, l);
}

int saveSettings(PersistentSettings& p, const LoaderState& l) {
    std::memset(p.midiFolder, 0, sizeof p.midiFolder);
    std::strncpy(p.midiFolder, l.midiFolder.c_str(), sizeof p.midiFolder - 1);
    return writeFileReplacing(l.settingsPath, reinterpret_cast<const uint8_t*>(&p), SETTINGS_SIZE);
}

}  // namespace qz
