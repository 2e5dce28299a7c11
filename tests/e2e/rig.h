// qd_rig: helpers for end-to-end tests that run the Windows programs under Wine on a private
// display and a private PulseAudio server (see scripts/rig.sh).
//
// Typical use in a GoogleTest:
//
//   Rig rig;
//   ASSERT_TRUE(StartRig(&rig));                       // Xvfb + PulseAudio + feeder
//   pid_t deck = StartDeck(rig, {});                   // Movello.exe under Wine
//   ASSERT_TRUE(WaitForWindow(rig, e2e::DECK_CLASS, e2e::DECK_TITLE, e2e::START_MS));
//   ...
//   ASSERT_TRUE(CloseWindow(rig, e2e::DECK_CLASS));
//   int code = -1;
//   EXPECT_TRUE(WaitExit(deck, e2e::WAIT_MS, &code));
//   StopRig(&rig);                                     // also ends the rig's Wine processes
//
// The names, tones and WaitUntil of the tests are in e2e_files.h. Every wait is bounded; every
// process is stopped by its PID. Programs are taken from the
// Windows build tree (QD_WINDOWS_BUILD_DIR/bin), Wine runs in a prefix of the native build tree
// made once and reused, with its own wineserver per rig.
#pragma once
#include <sys/types.h>
#include <cstdint>
#include <string>
#include <vector>

struct RigOptions {
    bool display = true;  // start Xvfb (otherwise use $DISPLAY)
    bool pulse = true;    // start PulseAudio; false: no sound server at all (no wave devices)
    int depth = 24;       // the virtual display's bits per pixel (8, 16 or 24)
    int dpi = 96;         // and its dots per inch
};

struct Rig {
    std::string dir;          // the rig's own folder (logs, FIFOs, feed queue, screenshots)
    std::string display;      // ":N"
    std::string pulseServer;  // PULSE_SERVER value ("unix:/nonexistent" without PulseAudio)
    std::string xdgRuntime;   // XDG_RUNTIME_DIR
    std::string pulseLatency;  // PULSE_LATENCY_MSEC for Wine's sound streams (scripts/rig.sh)
    std::string winePrefix;   // WINEPREFIX used by every Wine process of this rig
    bool started = false;
};

// Paths of the programs and folders.
std::string WindowsBinDir();    // QD_WINDOWS_BUILD_DIR/bin
std::string DeckExePath();      // .../Movello.exe
std::string WintoolExePath();   // .../wintool.exe
std::string SelectorExePath();  // .../Pindaro.exe, the test selector
std::string SourceDir();
bool PathExists(const std::string& path);  // a file or folder is there

// Starts the rig in a fresh folder under the native build tree (or in dir when given). Also
// makes the Wine prefix on first use. false when anything failed (details on stderr).
bool StartRig(Rig* rig, const RigOptions& options = RigOptions(), const std::string& dir = "");
// Ends the rig's Wine processes (wineserver -k on its prefix), then the rig's own processes.
void StopRig(Rig* rig);

// --- processes ---------------------------------------------------------------------------
// Environment additions as "NAME=value".
using EnvList = std::vector<std::string>;

// Runs a Windows program under Wine in the rig's environment, in the background. stdout and
// stderr go to logPath when given. Returns the PID of the wine process (or -1).
pid_t StartWine(const Rig& rig, const std::string& exe, const std::vector<std::string>& args, const EnvList& env = {},
                const std::string& logPath = "");
pid_t StartDeck(const Rig& rig, const std::vector<std::string>& args, const EnvList& env = {});
// Runs a Windows program to its end (bounded); returns its exit code, or -1 on timeout (the
// process is then killed). Output is captured into outputOut when given.
int RunWine(const Rig& rig, const std::string& exe, const std::vector<std::string>& args, int timeoutMs,
            std::string* outputOut = nullptr, const EnvList& env = {});
// Waits for a started process to end; true with its exit code when it ended in time.
bool WaitExit(pid_t pid, int timeoutMs, int* exitCodeOut);
// Stops one process: SIGTERM, then SIGKILL when it does not end within a second.
void StopProcess(pid_t pid);
// Waits for a program told to close to end. When it has not ended within timeoutMs, reportOut
// receives where every thread of the rig's Wine processes sits (winedbg's "bt all", taken at
// that moment) and whether the program still ended within graceMs more, so that a failure tells
// a hang from a slow machine. True only when it ended within timeoutMs.
bool WaitClosed(const Rig& rig, pid_t pid, int timeoutMs, int graceMs, int* exitCodeOut, std::string* reportOut);

// --- windows (through wintool.exe) ------------------------------------------------------------
// Waits for a top-level window of the class (empty: any) and title (empty: any).
bool WaitForWindow(const Rig& rig, const std::string& cls, const std::string& title, int timeoutMs);
// The same, for a window that is also shown (the deck shows its window once start-up succeeded).
bool WaitForVisibleWindow(const Rig& rig, const std::string& cls, const std::string& title, int timeoutMs);
int CountWindows(const Rig& rig, const std::string& cls, const std::string& title);
bool CloseWindow(const Rig& rig, const std::string& cls);  // posts WM_CLOSE
// 1 when the window of the class is minimized, 0 when not, -1 when there is none.
int IsWindowIconic(const Rig& rig, const std::string& cls);
// Sends a message to the window of the class and gives its result; false when there is no such
// window or it did not answer within a minute.
bool SendWindowMessage(const Rig& rig, const std::string& cls, unsigned msg, uint64_t wParam, int64_t lParam,
                       int64_t* resultOut);

// Runs wintool with the arguments (bounded); its exit code, the output in outputOut.
int RunWintool(const Rig& rig, const std::vector<std::string>& args, std::string* outputOut = nullptr,
               int timeoutMs = 60000);
// wintool's answer to a query that should succeed: its output without the last line end, or
// "(failed)". A failure writes the exit code and all that Wine or the tool printed to the test's
// output, so that a failure on a loaded machine shows whether Wine could start the tool at all.
std::string WintoolAnswer(const Rig& rig, const std::vector<std::string>& args, const EnvList& env = {});
// The shown control `id` inside the top-level window titled `title` (a dialog or property
// sheet); its hex handle, or empty when none shows within timeoutMs.
std::string WaitForControl(const Rig& rig, const std::string& title, int id, int timeoutMs);
// Posts a message without waiting (for messages that open a modal box).
bool PostWindowMessage(const Rig& rig, const std::string& cls, unsigned msg, uint64_t wParam, int64_t lParam);
struct ScreenRect {
    int left, top, right, bottom;
};
// The window's rectangle on the screen; false when there is no such window.
bool GetWindowPlace(const Rig& rig, const std::string& cls, ScreenRect* rectOut);
bool MoveWindowTo(const Rig& rig, const std::string& cls, int left, int top);  // position only

struct MessageBoxInfo {
    std::string hwnd;  // hex handle
    std::string caption;
    std::string text;
};
std::vector<MessageBoxInfo> ListMessageBoxes(const Rig& rig);
// Waits until a message box with the caption (and, when not empty, the text) shows.
bool WaitForMessageBox(const Rig& rig, const std::string& caption, const std::string& text, int timeoutMs,
                       MessageBoxInfo* boxOut = nullptr);
// Presses a button of a box: "OK", "Cancel", "Yes", "No".
bool PressMessageBox(const Rig& rig, const MessageBoxInfo& box, const std::string& button);

// --- sound -----------------------------------------------------------------------------------
// Queues interleaved 16-bit stereo PCM at 44100 Hz for the deck's input; the feeder plays it in
// real time after what is queued already.
bool FeedPcm(const Rig& rig, const std::vector<int16_t>& samples);
// Waits until the feeder has played everything queued so far into the input (false on timeout).
bool WaitForFeedPlayed(const Rig& rig, int timeoutMs);
// Pulls (false) or plugs back (true) the cable of the device's input: while pulled, the input
// delivers no samples at all.
bool SetInputPlugged(const Rig& rig, bool plugged);
// Records the deck's output ("Kelvara Vornex USB" sink monitor) as raw s16le stereo into path;
// returns once the recording is live (its first data arrived; a minute at most), so sound played
// after the call is heard.
pid_t StartSinkRecording(const Rig& rig, const std::string& path);
void StopSinkRecording(pid_t pid);
std::vector<int16_t> ReadPcmFile(const std::string& path);

// --- screen and registry ---------------------------------------------------------------------
bool TakeScreenshot(const Rig& rig, const std::string& pngPath);
// Reads a registry value with `wine reg query` (key like "HKCU\\Software\\..."); false when
// absent. The value's data as printed by reg (REG_DWORD as 0x...).
bool ReadRegistryValue(const Rig& rig, const std::string& key, const std::string& value, std::string* dataOut);
// Creates a key as an ordinary (persistent) key, parents first.
bool CreateRegistryKey(const Rig& rig, const std::string& key);
struct RegistryValue {
    std::string name;
    std::string type;  // "REG_SZ" or "REG_DWORD"
    std::string data;  // the text, or the number (decimal, or 0x... hex)
};
// Sets the values under key (HKCU\... or HKLM\...; made as an ordinary key when missing) with
// one `reg import` in Wine, tried again when Wine fails, as it now and then does on a loaded
// machine. false when every try failed.
bool SetRegistryValues(const Rig& rig, const std::string& key, const std::vector<RegistryValue>& values);

// --- the deck's starting point ---------------------------------------------------------------
struct DeckPlace {
    std::string folder;   // the record folder, rig.dir/rec
    std::string simFile;  // the simulated USB host for QD_USB_SIM, rig.dir/usb-host.txt
};
// Makes the record folder and writes the simulated host (e2e::DEVICE_STATE when not given).
// Empty paths when either failed.
DeckPlace MakeDeckPlace(const Rig& rig, const std::string& deviceState = "");
// The settings key of a deck that records plainly: WAVE files S-001.WAV... into folder, no auto
// recording, and the once-a-day notice already shown today (unless noticeDue), then `more`
// (which may change any of these). false when the values could not be written.
bool SetDeckSettings(const Rig& rig, const std::string& folder, const std::vector<RegistryValue>& more = {},
                     bool noticeDue = false);

// --- language ----------------------------------------------------------------------------------
// Environment that makes a Wine process run with a Japanese user interface (builds the ja_JP
// locale into the rig folder once); empty when the locale cannot be built.
EnvList JapaneseEnv(const Rig& rig);

// --- small helpers ---------------------------------------------------------------------------
bool WaitForFile(const std::string& path, int timeoutMs, size_t minBytes = 1);
std::string ReadTextFile(const std::string& path);
