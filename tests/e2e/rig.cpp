// qd_rig implementation: processes by fork/exec, Wine in the rig's environment, windows and
// message boxes through wintool.exe, sound through the rig's PulseAudio (see rig.h).
#include "e2e/rig.h"
#include "e2e/e2e_files.h"
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <thread>

#ifndef QD_SOURCE_DIR
#define QD_SOURCE_DIR "."
#endif
#ifndef QD_BINARY_DIR
#define QD_BINARY_DIR "."
#endif
#ifndef QD_WINDOWS_BUILD_DIR
#define QD_WINDOWS_BUILD_DIR QD_SOURCE_DIR "/build/windows"
#endif

namespace {
const int POLL_MS = 100;
const int PREFIX_LOCK_WAIT_S = 900;

struct RigProcessState {
    int prefixLock = -1;  // flock on the shared prefix, held from StartRig to StopRig
};
RigProcessState g_rig;

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string Env(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

// fork/exec with extra environment and optional output file; returns the child's PID.
pid_t Spawn(const std::vector<std::string>& argv, const EnvList& env, const std::string& outPath) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    for (const std::string& e : env) putenv(strdup(e.c_str()));
    int in = open("/dev/null", O_RDONLY);
    if (in >= 0) dup2(in, 0);
    int out = open(outPath.empty() ? "/dev/null" : outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
    }
    setpgid(0, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

// Debian's 64-bit loader. With Wine's 32-bit half installed, the `wine` command starts every
// program with the 32-bit loader, which then hands a 64-bit program over to this one: starting
// it here directly takes one step less (and this loader hands a 32-bit program the other way, so
// both builds run through it). Without it, `wine` is the 64-bit loader already.
const char WINE64_LOADER[] = "/usr/lib/wine/wine64";

std::string WineLoader() { return access(WINE64_LOADER, X_OK) == 0 ? WINE64_LOADER : "wine"; }

EnvList WineEnv(const Rig& rig, const EnvList& extra) {
    EnvList env = {
        "WINEPREFIX=" + rig.winePrefix, "WINEDEBUG=" + Env("QD_WINEDEBUG", "-all"), "WINEDLLOVERRIDES=mscoree,mshtml=",
        "DISPLAY=" + rig.display,       "PULSE_SERVER=" + rig.pulseServer,          "XDG_RUNTIME_DIR=" + rig.xdgRuntime,
        "PULSE_LATENCY_MSEC=" + rig.pulseLatency,
    };
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

int RunToEnd(const std::vector<std::string>& argv, const EnvList& env, int timeoutMs, std::string* outputOut,
             const std::string& scratchDir) {
    static int counter = 0;
    std::string outPath = scratchDir + "/run-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".out";
    pid_t pid = Spawn(argv, env, outPath);
    if (pid < 0) return -1;
    int code = -1;
    if (!WaitExit(pid, timeoutMs, &code)) {
        StopProcess(pid);
        code = -1;
    }
    if (outputOut) *outputOut = ReadTextFile(outPath);
    unlink(outPath.c_str());
    return code;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return parts;
}

// Runs wintool.exe; its output in outputOut.
int Wintool(const Rig& rig, const std::vector<std::string>& args, std::string* outputOut, int timeoutMs = e2e::WAIT_MS) {
    return RunWine(rig, WintoolExePath(), args, timeoutMs, outputOut);
}

// The prefix is prepared where every other prefix of the project is (scripts/wine-prefix.sh):
// made on first use, upgraded when it predates Wine's 32-bit half, Wine's own fonts copied in
// (without Marlett every caption button shows the letter "r"), and windows left unmanaged, as the
// rig's display has no window manager (hiding a managed window otherwise waits 2 s for a
// withdrawal that never comes, and every deck would take that long to end). Nothing is installed
// into it: the deck runs from its folder, and tests start without the deck's keys.
bool EnsurePrefix(const Rig& rig) {
    std::string out;
    int code = RunToEnd({SourceDir() + "/scripts/wine-prefix.sh"}, WineEnv(rig, {}), 600000, &out, rig.dir);
    if (code != 0) std::fprintf(stderr, "rig: scripts/wine-prefix.sh failed (%d):\n%s\n", code, out.c_str());
    return code == 0;
}
}  // namespace

std::string SourceDir() { return Env("QD_SOURCE_DIR", QD_SOURCE_DIR); }
std::string WindowsBinDir() { return Env("QD_WINDOWS_BUILD_DIR", QD_WINDOWS_BUILD_DIR) + "/bin"; }
std::string DeckExePath() { return WindowsBinDir() + "/Movello.exe"; }
std::string WintoolExePath() { return WindowsBinDir() + "/wintool.exe"; }
std::string SelectorExePath() { return WindowsBinDir() + "/Pindaro.exe"; }

bool StartRig(Rig* rig, const RigOptions& options, const std::string& dir) {
    std::string base = Env("QD_RIG_BASE", std::string(QD_BINARY_DIR) + "/rigs");
    mkdir(base.c_str(), 0755);
    rig->dir = dir;
    if (rig->dir.empty()) {
        std::string tmpl = base + "/rig-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back(0);
        if (!mkdtemp(buf.data())) return false;
        rig->dir = buf.data();
    }
    rig->winePrefix = Env("QD_E2E_WINEPREFIX", std::string(QD_BINARY_DIR) + "/e2e-wineprefix");

    // One rig at a time per prefix: Wine processes of one prefix share a wineserver and desktop.
    std::string lockPath = rig->winePrefix + ".lock";
    // Close-on-exec: the rig's processes and Wine's server outlive a test that is killed, and must
    // not hold the lock for the next one.
    g_rig.prefixLock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (g_rig.prefixLock >= 0 &&
        !e2e::WaitUntil([] { return flock(g_rig.prefixLock, LOCK_EX | LOCK_NB) == 0; }, PREFIX_LOCK_WAIT_S * 1000, 200)) {
        std::fprintf(stderr, "rig: prefix %s stayed busy\n", rig->winePrefix.c_str());
        return false;
    }

    std::vector<std::string> argv = {SourceDir() + "/scripts/rig.sh", "start", rig->dir};
    if (!options.display) argv.push_back("--no-x");
    if (!options.pulse) argv.push_back("--no-pulse");
    argv.insert(argv.end(), {"--depth", std::to_string(options.depth), "--dpi", std::to_string(options.dpi)});
    std::string out;
    std::string feeder = std::string(QD_BINARY_DIR) + "/tests/e2e/qd_rig_feeder";
    int code = RunToEnd(argv, {"QD_FEEDER=" + feeder}, 60000, &out, base);
    if (code != 0) {
        std::fprintf(stderr, "rig: start failed (%d):\n%s\n", code, out.c_str());
        RunToEnd({SourceDir() + "/scripts/rig.sh", "stop", rig->dir}, {}, 30000, nullptr, base);
        return false;
    }
    std::map<std::string, std::string> vars;
    for (const std::string& line : SplitLines(ReadTextFile(rig->dir + "/env"))) {
        // export NAME='value'
        size_t eq = line.find('=');
        if (line.rfind("export ", 0) != 0 || eq == std::string::npos) continue;
        std::string name = line.substr(7, eq - 7), value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '\'') value = value.substr(1, value.size() - 2);
        vars[name] = value;
    }
    rig->display = vars["DISPLAY"];
    rig->pulseServer = vars["PULSE_SERVER"];
    rig->xdgRuntime = vars["XDG_RUNTIME_DIR"];
    rig->pulseLatency = vars["PULSE_LATENCY_MSEC"];
    rig->started = true;
    // A wineserver left from an earlier run would keep that run's display and sound server.
    RunToEnd({"wineserver", "-k"}, WineEnv(*rig, {}), 30000, nullptr, rig->dir);
    if (!EnsurePrefix(*rig)) {
        std::fprintf(stderr, "rig: no Wine prefix\n");
        StopRig(rig);
        return false;
    }
    // The prefix is shared by every test, and a deck saves its settings when it ends: without
    // this, a timer or an auto recording one test stored would act in the next one's deck.
    RunToEnd({WineLoader(), "reg", "delete", "HKCU\\Software\\Kelvara", "/f"}, WineEnv(*rig, {}), 60000, nullptr, rig->dir);
    return true;
}

void StopRig(Rig* rig) {
    if (!rig->started) return;
    EnvList env = WineEnv(*rig, {});
    RunToEnd({"wineserver", "-k"}, env, 30000, nullptr, rig->dir);
    RunToEnd({"wineserver", "-w"}, env, 30000, nullptr, rig->dir);
    RunToEnd({SourceDir() + "/scripts/rig.sh", "stop", rig->dir}, {}, 60000, nullptr, rig->dir);
    rig->started = false;
    if (g_rig.prefixLock >= 0) {
        flock(g_rig.prefixLock, LOCK_UN);
        close(g_rig.prefixLock);
        g_rig.prefixLock = -1;
    }
}

pid_t StartWine(const Rig& rig, const std::string& exe, const std::vector<std::string>& args, const EnvList& env,
                const std::string& logPath) {
    std::vector<std::string> argv = {WineLoader(), exe};
    argv.insert(argv.end(), args.begin(), args.end());
    return Spawn(argv, WineEnv(rig, env), logPath);
}

pid_t StartDeck(const Rig& rig, const std::vector<std::string>& args, const EnvList& env) {
    static int counter = 0;
    return StartWine(rig, DeckExePath(), args, env, rig.dir + "/deck-" + std::to_string(++counter) + ".log");
}

// Now and then (about one start in a few thousand here, with or without load) Wine ends a
// program with exit code 1 before the program has run: nothing is printed. Every program the
// tests run through Wine prints something when it exits with 1 itself (wintool's own failures
// exit with 2), so such an exit is a start that did not happen: it is reported and made again.
const int WINE_START_TRIES = 3;

int RunWine(const Rig& rig, const std::string& exe, const std::vector<std::string>& args, int timeoutMs,
            std::string* outputOut, const EnvList& env) {
    std::vector<std::string> argv = {WineLoader(), exe};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string out;
    int code = -1;
    for (int attempt = 1; attempt <= WINE_START_TRIES; ++attempt) {
        code = RunToEnd(argv, WineEnv(rig, env), timeoutMs, &out, rig.dir);
        if (code != 1 || !out.empty()) break;
        std::fprintf(stderr, "rig: Wine ended %s with 1 before it printed anything (start %d of %d)\n", exe.c_str(),
                     attempt, WINE_START_TRIES);
    }
    if (outputOut) *outputOut = out;
    return code;
}

bool WaitExit(pid_t pid, int timeoutMs, int* exitCodeOut) {
    int status = 0;
    pid_t r = 0;
    if (!e2e::WaitUntil([&] { return (r = waitpid(pid, &status, WNOHANG)) != 0; }, timeoutMs, 20) || r != pid)
        return false;
    if (exitCodeOut) *exitCodeOut = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

void StopProcess(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (WaitExit(pid, 1000, nullptr)) return;
    kill(pid, SIGKILL);
    WaitExit(pid, 5000, nullptr);
}

bool WaitClosed(const Rig& rig, pid_t pid, int timeoutMs, int graceMs, int* exitCodeOut, std::string* reportOut) {
    if (WaitExit(pid, timeoutMs, exitCodeOut)) return true;
    std::string threads;
    RunWine(rig, "winedbg", {"--command", "bt all"}, 60000, &threads);
    long long before = NowMs();
    bool late = WaitExit(pid, graceMs, exitCodeOut);
    std::ostringstream report;
    report << "not ended " << timeoutMs << " ms after the close; ";
    if (late)
        report << "it ended " << (NowMs() - before) << " ms later (slow, not hung)";
    else
        report << "still running " << graceMs << " ms later (hung)";
    report << "\nthreads when the wait ran out:\n" << threads;
    if (reportOut) *reportOut = report.str();
    return false;
}

bool WaitForWindow(const Rig& rig, const std::string& cls, const std::string& title, int timeoutMs) {
    std::string out;
    int code = Wintool(rig, {"wait", cls.empty() ? "-" : cls, title.empty() ? "-" : title, std::to_string(timeoutMs)},
                       &out, timeoutMs + 20000);
    return code == 0;
}

bool WaitForVisibleWindow(const Rig& rig, const std::string& cls, const std::string& title, int timeoutMs) {
    std::string out;
    int code = Wintool(
        rig, {"wait", cls.empty() ? "-" : cls, title.empty() ? "-" : title, std::to_string(timeoutMs), "visible"}, &out,
        timeoutMs + 20000);
    return code == 0;
}

int CountWindows(const Rig& rig, const std::string& cls, const std::string& title) {
    std::string out;
    if (Wintool(rig, {"count", cls.empty() ? "-" : cls, title.empty() ? "-" : title}, &out) != 0) return -1;
    return std::atoi(out.c_str());
}

bool CloseWindow(const Rig& rig, const std::string& cls) { return Wintool(rig, {"close", cls}, nullptr) == 0; }

int IsWindowIconic(const Rig& rig, const std::string& cls) {
    std::string out;
    if (Wintool(rig, {"iconic", cls}, &out) != 0) return -1;
    return std::atoi(out.c_str());
}

bool SendWindowMessage(const Rig& rig, const std::string& cls, unsigned msg, uint64_t wParam, int64_t lParam,
                       int64_t* resultOut) {
    std::string out;
    if (Wintool(rig, {"send", cls, std::to_string(msg), std::to_string(wParam), std::to_string(lParam)}, &out, e2e::WAIT_MS) !=
        0)
        return false;
    if (resultOut) *resultOut = std::strtoll(out.c_str(), nullptr, 10);
    return true;
}

int RunWintool(const Rig& rig, const std::vector<std::string>& args, std::string* outputOut, int timeoutMs) {
    return Wintool(rig, args, outputOut, timeoutMs);
}

std::string WintoolAnswer(const Rig& rig, const std::vector<std::string>& args, const EnvList& env) {
    std::string out;
    int code = RunWine(rig, WintoolExePath(), args, e2e::WAIT_MS, &out, env);
    if (code != 0) {
        std::string line;
        for (const std::string& a : args) line += " " + a;
        std::fprintf(stderr, "wintool%s: exit %d: %s\n", line.c_str(), code, out.c_str());
        return "(failed)";
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

std::string WaitForControl(const Rig& rig, const std::string& title, int id, int timeoutMs) {
    std::string out;
    if (!e2e::WaitUntil([&] { return Wintool(rig, {"child", title, std::to_string(id)}, &out) == 0; }, timeoutMs, 200))
        return "";
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

bool PostWindowMessage(const Rig& rig, const std::string& cls, unsigned msg, uint64_t wParam, int64_t lParam) {
    return Wintool(rig, {"postclass", cls, std::to_string(msg), std::to_string(wParam), std::to_string(lParam)}, nullptr) == 0;
}

bool GetWindowPlace(const Rig& rig, const std::string& cls, ScreenRect* rectOut) {
    std::string out;
    if (Wintool(rig, {"bounds", cls}, &out) != 0) return false;
    ScreenRect r = {0, 0, 0, 0};
    if (std::sscanf(out.c_str(), "%d %d %d %d", &r.left, &r.top, &r.right, &r.bottom) != 4) return false;
    *rectOut = r;
    return true;
}

bool MoveWindowTo(const Rig& rig, const std::string& cls, int left, int top) {
    return Wintool(rig, {"moveto", cls, std::to_string(left), std::to_string(top)}, nullptr) == 0;
}

std::vector<MessageBoxInfo> ListMessageBoxes(const Rig& rig) {
    std::vector<MessageBoxInfo> boxes;
    std::string out;
    if (Wintool(rig, {"boxes"}, &out) != 0) return boxes;
    for (const std::string& line : SplitLines(out)) {
        std::vector<std::string> parts = SplitTabs(line);
        if (parts.size() < 3) continue;
        MessageBoxInfo box;
        box.hwnd = parts[0];
        box.caption = parts[1];
        box.text = parts[2];
        for (size_t i = 3; i < parts.size(); ++i) box.text += "\t" + parts[i];
        boxes.push_back(box);
    }
    return boxes;
}

bool WaitForMessageBox(const Rig& rig, const std::string& caption, const std::string& text, int timeoutMs,
                       MessageBoxInfo* boxOut) {
    return e2e::WaitUntil([&] {
        for (const MessageBoxInfo& box : ListMessageBoxes(rig)) {
            if (box.caption == caption && (text.empty() || box.text == text)) {
                if (boxOut) *boxOut = box;
                return true;
            }
        }
        return false;
    }, timeoutMs, POLL_MS);
}

bool PressMessageBox(const Rig& rig, const MessageBoxInfo& box, const std::string& button) {
    return Wintool(rig, {"press", box.hwnd, button}, nullptr) == 0;
}

bool FeedPcm(const Rig& rig, const std::vector<int16_t>& samples) {
    static int counter = 0;
    char name[64];
    std::snprintf(name, sizeof name, "%013lld-%04d", NowMs(), ++counter);
    std::string tmp = rig.dir + "/feed/." + name + ".part", final = rig.dir + "/feed/" + name + ".raw";
    std::ofstream out(tmp, std::ios::binary);
    out.write(reinterpret_cast<const char*>(samples.data()), (std::streamsize)(samples.size() * sizeof(int16_t)));
    out.close();
    return out.good() && std::rename(tmp.c_str(), final.c_str()) == 0;
}

bool WaitForFeedPlayed(const Rig& rig, int timeoutMs) {
    // The feeder takes a queued file once everything before it is written: a few frames queued
    // last are taken when all that came before them has gone into the input.
    if (!FeedPcm(rig, std::vector<int16_t>(8, 0))) return false;
    return e2e::WaitUntil([&] {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(rig.dir + "/feed", error))
            if (entry.path().extension() == ".raw") return false;
        return !error;
    }, timeoutMs);
}

bool SetInputPlugged(const Rig& rig, bool plugged) {
    std::string flag = rig.dir + "/feed/unplugged";
    if (plugged) return std::remove(flag.c_str()) == 0 || !PathExists(flag);
    std::ofstream(flag) << "";
    return PathExists(flag);
}

pid_t StartSinkRecording(const Rig& rig, const std::string& path) {
    pid_t pid =
        Spawn({"sh", "-c",
               "exec parec -d vout.monitor --latency-msec=20 --raw --format=s16le --rate=44100 --channels=2 > '" +
                   path + "'"},
              {"PULSE_SERVER=" + rig.pulseServer, "XDG_RUNTIME_DIR=" + rig.xdgRuntime}, "");
    // The recorder is live once the monitor's first data arrived; sound before that is lost.
    if (pid > 0 && !WaitForFile(path, e2e::WAIT_MS, 4)) std::fprintf(stderr, "rig: sink recording did not start\n");
    return pid;
}

void StopSinkRecording(pid_t pid) { StopProcess(pid); }

std::vector<int16_t> ReadPcmFile(const std::string& path) {
    std::string bytes = ReadTextFile(path);
    std::vector<int16_t> samples(bytes.size() / 2);
    if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

bool TakeScreenshot(const Rig& rig, const std::string& pngPath) {
    int code = RunToEnd({"import", "-display", rig.display, "-window", "root", pngPath}, {}, 30000, nullptr, rig.dir);
    return code == 0 && WaitForFile(pngPath, 1000);
}

bool ReadRegistryValue(const Rig& rig, const std::string& key, const std::string& value, std::string* dataOut) {
    std::string out;
    std::vector<std::string> argv = {WineLoader(), "reg", "query", key, "/v", value};
    if (RunToEnd(argv, WineEnv(rig, {}), 60000, &out, rig.dir) != 0) return false;
    for (const std::string& line : SplitLines(out)) {
        // "    Name    REG_TYPE    data"
        std::istringstream in(line);
        std::string name, type;
        if (!(in >> name >> type) || name != value || type.rfind("REG_", 0) != 0) continue;
        std::string data;
        std::getline(in, data);
        size_t first = data.find_first_not_of(" \t");
        if (dataOut) *dataOut = first == std::string::npos ? "" : data.substr(first);
        return true;
    }
    return false;
}

bool CreateRegistryKey(const Rig& rig, const std::string& key) { return SetRegistryValues(rig, key, {}); }

bool SetRegistryValues(const Rig& rig, const std::string& key, const std::vector<RegistryValue>& values) {
    const int TRIES = 3;
    // A .reg file names the root in full, and its strings escape backslashes and quotes.
    std::string root = key.substr(0, key.find('\\')), rest = key.substr(root.size());
    if (root == "HKCU") root = "HKEY_CURRENT_USER";
    if (root == "HKLM") root = "HKEY_LOCAL_MACHINE";
    auto quoted = [](const std::string& text) {
        std::string q = "\"";
        for (char c : text) {
            if (c == '\\' || c == '"') q += '\\';
            q += c;
        }
        return q + "\"";
    };
    std::string file = "REGEDIT4\r\n\r\n[" + root + rest + "]\r\n";
    for (const RegistryValue& v : values) {
        file += quoted(v.name) + "=";
        if (v.type == "REG_DWORD") {
            char hex[16];
            std::snprintf(hex, sizeof hex, "dword:%08lx", std::strtoul(v.data.c_str(), nullptr, 0) & 0xffffffffUL);
            file += hex;
        } else if (v.type == "REG_SZ") {
            file += quoted(v.data);
        } else {
            std::fprintf(stderr, "rig: registry type %s is not written here\n", v.type.c_str());
            return false;
        }
        file += "\r\n";
    }
    static int counter = 0;
    std::string path = rig.dir + "/values-" + std::to_string(++counter) + ".reg";
    std::ofstream(path, std::ios::binary) << file;
    for (int attempt = 1; attempt <= TRIES; ++attempt) {
        std::string out;
        int code = RunWine(rig, "reg", {"import", e2e::WinPath(path)}, e2e::WAIT_MS, &out);
        if (code == 0) return true;
        std::fprintf(stderr, "rig: reg import of %s failed (%d, try %d of %d): %s\n", key.c_str(), code, attempt, TRIES,
                     out.c_str());
    }
    return false;
}

DeckPlace MakeDeckPlace(const Rig& rig, const std::string& deviceState) {
    DeckPlace place = {rig.dir + "/rec", rig.dir + "/usb-host.txt"};
    std::ofstream sim(place.simFile);
    sim << (deviceState.empty() ? e2e::DEVICE_STATE : deviceState);
    sim.close();
    if ((mkdir(place.folder.c_str(), 0755) != 0 && errno != EEXIST) || !sim) return DeckPlace();
    return place;
}

bool SetDeckSettings(const Rig& rig, const std::string& folder, const std::vector<RegistryValue>& more, bool noticeDue) {
    std::vector<RegistryValue> values = {
        {"RecFileName",      "REG_SZ",    e2e::WinPath(folder) + "\\S-"},
        {"RecordFormat",     "REG_DWORD", "0"                          },
        {"RecAutoRecording", "REG_DWORD", "0"                          },
    };
    if (!noticeDue) {
        // The notice shows with the day's first recording, unless it was shown on this date.
        std::time_t now = std::time(nullptr);
        std::tm local = *std::localtime(&now);
        values.push_back({"LastYear", "REG_DWORD", std::to_string(local.tm_year + 1900)});
        values.push_back({"LastMonth", "REG_DWORD", std::to_string(local.tm_mon + 1)});
        values.push_back({"LastDay", "REG_DWORD", std::to_string(local.tm_mday)});
    }
    values.insert(values.end(), more.begin(), more.end());
    return SetRegistryValues(rig, e2e::SETTINGS_KEY, values);
}

bool WaitForFile(const std::string& path, int timeoutMs, size_t minBytes) {
    return e2e::WaitUntil([&] {
        struct stat st;
        return stat(path.c_str(), &st) == 0 && (size_t)st.st_size >= minBytes;
    }, timeoutMs, 50);
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

EnvList JapaneseEnv(const Rig& rig) {
    std::string loc = rig.dir + "/locale";
    struct stat st;
    if (stat((loc + "/ja_JP.UTF-8").c_str(), &st) != 0) {
        mkdir(loc.c_str(), 0755);
        // localedef warns on some tables and exits 1 although the locale is usable.
        RunToEnd({"localedef", "-i", "ja_JP", "-f", "UTF-8", loc + "/ja_JP.UTF-8"}, {}, 60000, nullptr, rig.dir);
        if (stat((loc + "/ja_JP.UTF-8").c_str(), &st) != 0) return {};
    }
    return {"LOCPATH=" + loc, "LANG=ja_JP.UTF-8", "LC_ALL=ja_JP.UTF-8"};
}

bool PathExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}
