// The settings file: the byte image of the 7,708-byte settings block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qz {

struct LoaderState;
struct PersistentSettings;

constexpr const char* SETTINGS_FILE_NAME = "QZSEQ.qzi";

// Where the settings file lives: `programFolder` when a file can be created
// there, else the user's configuration folder (XDG_CONFIG_HOME or
// ~/.config on Unix, %APPDATA% on Windows) under "qzseq".
std::string settingsFolderFor(const std::string& programFolder);

// Take a settings image over the block when it has exactly the block's size,
// then hold every value the program uses as an index to its range. Returns
// false (block untouched) for any other size.
bool readSettingsImage(PersistentSettings& p, const uint8_t* data, size_t size);

// Set the settings path and the folders of the loader state (whose
// `programFolder` the caller has set) and read the file over the defaults.
// A missing file leaves the defaults; a file of the wrong size or one that
// cannot be read is replaced by a file of defaults.
void loadSettings(PersistentSettings& settings, LoaderState& loader);

// Write the block (with the loader's MIDI folder in it) to the settings
// path through a temporary file. Returns 0, 4 or 7; callers may ignore it.
int saveSettings(PersistentSettings& settings, const LoaderState& loader);

}  // namespace qz
