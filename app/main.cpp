// qzseq: the sequencer's window program. Start-up and shut-down in their
// fixed order; everything in between is the screen framework's.
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/engine.h"
#include "engine/recording.h"
#include "files/settings_file.h"
#include "platform/midi/midi_ports.h"
#if QZ_WINDOW_WITH_SYNTH
#include "platform/synth/synth.h"
#endif
#include "platform/timer/engine_timer.h"
#include "program/app_state.h"  // before Qt: the state has a field named `slots`
#include "program/program.h"
#include "song/sequence_store.h"
#include "ui/framework/dialogs.h"
#include "ui/framework/draw.h"
#include "ui/framework/load_save.h"
#include "ui/framework/panel.h"
#include "ui/framework/repaint.h"
#include "ui/screens/screens.h"

#if defined(_WIN32)
#include "platform/win32/text.h"
#include "platform/win32/window.h"
#else
#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>

#include "platform/qt/main_window.h"
#include "platform/qt/text.h"
#endif

namespace {

using namespace qz;

// What the window program holds besides the state.
struct Program {
    std::unique_ptr<AppState> app = std::make_unique<AppState>();
    std::unique_ptr<MidiPortSet> ports = std::make_unique<MidiPortSet>();
#if QZ_WINDOW_WITH_SYNTH
    // The system's ports with the built-in synthesizer after them.
    OutputWithSynth outputs;
#endif
    EngineTimer engineTimer;
    bool portsOpen = false;
    bool stateReady = false;
    // Written by the window thread, read by the MIDI input threads: input is
    // taken only while the state is built and the window is not closing.
    std::atomic<bool> inputOpen{false};
};

// MIDI input callback (input threads).
void onInput(void* user, int port, uint32_t packed) {
    Program& prog = *static_cast<Program*>(user);
    if (!prog.inputOpen.load(std::memory_order_acquire)) return;
    onMidiInput(*prog.app, port, packed);
}

// The UI timer: one message, then whether a frame is still due.
bool onTimer(void* user) {
    Program& prog = *static_cast<Program*>(user);
    if (!prog.stateReady) return true;
    AppState& app = *prog.app;
    uiTimer(app, app.engine.msClock.load(std::memory_order_acquire));
    flushErrors(app);
    return !uiTimerMaySleep(app);
}

void onMenu(void* user, int id) {
    AppState& app = *static_cast<Program*>(user)->app;
    switch (id) {
        case 101:
            stopTransport(app);
            loadFileDialog(app);
            break;
        case 102:
            stopTransport(app);
            loadFolderDialog(app);
            break;
        case 104:
            stopTransport(app);
            saveSequenceDialog(app);
            break;
        case 108:
            stopTransport(app);
            requestWindowClose();
            return;
        case 110:
            stopTransport(app);
            setOverlay(app, OVERLAY_MIDI_TO_BUTTON);
            break;
        default: break;
    }
    redrawAll(app);
}

void onDrop(void* user, const std::vector<std::string>& paths) {
    onFilesDropped(*static_cast<Program*>(user)->app, paths);
}

bool onClose(void* user) { return closeRequested(*static_cast<Program*>(user)->app); }

void presentHook(AppState&) { presentCanvas(); }

#if QZ_WINDOW_WITH_SYNTH
// The synthesizer after the system's ports, as its text file beside the
// settings file says (a file of the defaults is written when there is none).
void openSynthOutput(Program& prog, const std::string& folder, std::string& messages) {
    prog.outputs.system = midiPortsOutput(*prog.ports);
    prog.outputs.systemCount = prog.ports->outCount;
    if (prog.ports->outCount >= PLATFORM_MAX_OUT_PORTS) {
        messages += std::string(SYNTH_PORT_NAME) + ": every output port is taken by the system's ports\n";
        return;
    }
    const std::string path = (std::filesystem::path(folder) / SYNTH_OPTIONS_FILE_NAME).string();
    SynthOptions options;
    if (!readSynthOptionsFile(path, options)) writeSynthOptionsFile(path, options);
    std::string message;
    prog.outputs.synth = openSynthPort(options, message);
    if (!prog.outputs.synth) messages += message + "\n";
}
#endif

void sendSetupsLater(void* user) { sendAllTrackSetups(*static_cast<Program*>(user)->app); }

// Window creation after the canvas and the UI timer: ports, state, engine,
// the first picture, the port resets and 50 ms later the track set-ups.
void onCreated(void* user) {
    Program& prog = *static_cast<Program*>(user);
    AppState& app = *prog.app;
#if defined(_WIN32)
    installWin32UiPlatform(app);
    app.loader.programFolder = programFolder();
#else
    installQtUiPlatform(app);
    app.loader.programFolder = QCoreApplication::applicationDirPath().toStdString();
#endif
    app.ui->hooks.present = presentHook;

    std::string messages;
    openMidiPorts(*prog.ports, "QZ-Sequencer", MidiInputSink{&prog, onInput}, messages);
    prog.portsOpen = true;
#if QZ_WINDOW_WITH_SYNTH
    openSynthOutput(prog, settingsFolderFor(app.loader.programFolder), messages);
    app.engine.out = outputWithSynth(prog.outputs);
    app.engine.outPortCount = outputWithSynthCount(prog.outputs);
#else
    app.engine.out = midiPortsOutput(*prog.ports);
    app.engine.outPortCount = prog.ports->outCount;
#endif
    if (!messages.empty()) std::fprintf(stderr, "%s", messages.c_str());
    startupStep("ports opened");

    if (initProgramState(app, true) != 0) {
        showError(app, ERR_NO_MEMORY);
        return;
    }
    startupStep("state built");
    const char* inNames[PLATFORM_MAX_IN_PORTS] = {};
    for (int i = 0; i < prog.ports->inCount && i < PLATFORM_MAX_IN_PORTS; ++i) inNames[i] = prog.ports->inNames[i];
    setInputDeviceNames(app, inNames, prog.ports->inCount);
    const char* outNames[PLATFORM_MAX_OUT_PORTS] = {};
    for (int i = 0; i < prog.ports->outCount && i < PLATFORM_MAX_OUT_PORTS; ++i) outNames[i] = prog.ports->outNames[i];
    setOutputDeviceNames(app, outNames, prog.ports->outCount);
    prog.stateReady = true;
    startEngineTimer(prog.engineTimer, app);
    prog.inputOpen.store(true, std::memory_order_release);
    startupStep("engine started");
    firstPaint(app);
    startupStep("first picture drawn");
    setCursorShape(app, CURSOR_ARROW);
    resetAllPorts(app);
    callLater(50, sendSetupsLater, &prog);
}

}  // namespace

int main(int argc, char** argv) {
    startupMs();
#if defined(_WIN32)
    (void)argc;
    (void)argv;
    // One instance at a time: the named mutex dies with its process.
    if (!claimSingleInstance()) return 0;
#else
    QApplication qapp(argc, argv);
    startupStep("application");

    // One instance at a time. The lock names its owner's process, so a lock
    // left behind by a crash is taken over instead of blocking the start.
    QLockFile instanceLock(QDir::temp().filePath(QStringLiteral("QZSEQ.lock")));
    instanceLock.setStaleLockTime(0);
    if (!instanceLock.tryLock(0)) {
        QMessageBox::information(nullptr, QStringLiteral("QZ-Sequencer"), QStringLiteral("QZ-Sequencer is active"));
        return 0;
    }
#endif

    Program prog;
    AppState& app = *prog.app;
    attachUi(app);
    int screenW = 0, screenH = 0;
    primaryScreenSize(screenW, screenH);
    app.ui->canvasWidth = screenW >= 1736 ? screenW : 1735;
    app.ui->canvasHeight = screenH >= 701 ? screenH : 700;

    DrawContext& dc = app.ui->draw;
    if (!initDrawContext(dc, app.ui->canvasWidth, app.ui->canvasHeight)) return 1;
#if defined(_WIN32)
    installGdiTextRenderer(dc);
#else
    installQtTextRenderer(dc);
#endif
    startupStep("canvas and fonts");

    WindowHooks hooks;
    hooks.user = &prog;
    hooks.created = onCreated;
    hooks.timer = onTimer;
    hooks.menu = onMenu;
    hooks.drop = onDrop;
    hooks.closeRequested = onClose;
    const int rc = runMainWindow(app, dc, hooks, std::min(screenW, 1735), std::min(screenH, 700));

    // Window destruction: the engine first, then the ports it sent to.
    prog.inputOpen.store(false, std::memory_order_release);
    app.engine.closing.store(true, std::memory_order_release);
    if (prog.engineTimer.running) stopEngineTimer(prog.engineTimer, app);
    if (prog.portsOpen) closeMidiPorts(*prog.ports);
#if QZ_WINDOW_WITH_SYNTH
    closeSynthPort(prog.outputs.synth);
#endif
    freeAppState(app);
    return prog.stateReady ? rc : 1;
}
