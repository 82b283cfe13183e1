// Entry points of the command-line tool's commands. Each returns the
// process exit code: 0 on success, non-zero after printing the error text on
// stderr. argv[0] is the command name.
#pragma once

namespace qz {
struct AppState;
}

namespace qz::cli {

// Load a .mid, .seq or .all file into the state for playing; prints the
// error and returns the exit code on failure.
int loadPlayFile(qz::AppState& app, const char* path);

int cmdInfo(int argc, char** argv);
int cmdDump(int argc, char** argv);
int cmdConvert(int argc, char** argv);
int cmdPlay(int argc, char** argv);
int cmdPorts(int argc, char** argv);
int cmdRender(int argc, char** argv);
int cmdRecord(int argc, char** argv);
int cmdRenderAudio(int argc, char** argv);

}  // namespace qz::cli
