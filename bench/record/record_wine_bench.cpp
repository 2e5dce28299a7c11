// The deck's share of a core under Wine: idle, and while recording WAVE and MP3 at 48 kHz from
// the rig's input, optionally with two busy processes loading both cores (a program, not a test).
//   record_wine_bench [seconds per measurement] [load]
// Lost buffers show as the "Could not capture audio." box when a recording stops.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/rig.h"
#include "resources/resource.h"
#include "support/bench_timer.h"

namespace {
const char DECK_CLASS[] = "Vornex_Deck_Controller";
const char SETTINGS_KEY[] = "HKCU\\SOFTWARE\\Kelvara\\Vornex USB\\Deck Controller\\Settings";
const unsigned WM_COMMAND_MSG = 0x0111;
const char DEVICE_STATE[] =
    "hcd 0 ROOT0\nhub ROOT0 2 {hub}\\0000 USB Root Hub\n"
    "port ROOT0 2 vornex {media}\\0001 Kelvara Vornex USB\n"
    "reg 6 1\nreg 7 5\ninput 2 130 0 2\n";  // locked at 48000 Hz

// The Movello.exe process of this rig's Wine prefix.
pid_t FindDeck(const Rig& rig) {
    DIR* d = opendir("/proc");
    pid_t found = -1;
    while (dirent* e = d ? readdir(d) : nullptr) {
        pid_t pid = (pid_t)std::atoi(e->d_name);
        if (pid <= 0) continue;
        std::ifstream cmd("/proc/" + std::string(e->d_name) + "/cmdline");
        std::string c((std::istreambuf_iterator<char>(cmd)), std::istreambuf_iterator<char>());
        if (c.find("Movello.exe") == std::string::npos) continue;
        std::ifstream env("/proc/" + std::string(e->d_name) + "/environ");
        std::string v((std::istreambuf_iterator<char>(env)), std::istreambuf_iterator<char>());
        if (v.find("WINEPREFIX=" + rig.winePrefix) != std::string::npos) found = pid;
    }
    if (d) closedir(d);
    return found;
}

double Share(pid_t pid, int seconds) {
    double before = bench::ProcessCpuSeconds(pid);
    sleep((unsigned)seconds);
    return 100.0 * (bench::ProcessCpuSeconds(pid) - before) / seconds;
}

bool Command(const Rig& rig, int id) {
    int64_t result = 0;
    return SendWindowMessage(rig, DECK_CLASS, WM_COMMAND_MSG, (uint64_t)id, 0, &result);
}

std::vector<int16_t> Tone(int seconds) {
    std::vector<int16_t> pcm;
    for (int i = 0; i < 44100 * seconds; ++i) {
        int16_t v = (int16_t)(12000 * std::sin(2 * M_PI * 997.0 * i / 44100));
        pcm.push_back(v);
        pcm.push_back(v);
    }
    return pcm;
}

// Records for a while and reports the deck's share; lost buffers show as a box after Stop.
void MeasureRecording(const Rig& rig, pid_t deck, const char* name, int seconds) {
    FeedPcm(rig, Tone(seconds + 6));
    Command(rig, CMD_RECORD);
    Command(rig, CMD_PLAY);
    sleep(2);
    double share = Share(deck, seconds);
    Command(rig, CMD_STOP);
    sleep(1);
    bool lost = false;
    for (const MessageBoxInfo& box : ListMessageBoxes(rig)) {
        if (box.text.find("Could not capture audio.") != std::string::npos) lost = true;
        PressMessageBox(rig, box, "OK");
    }
    std::printf("%-22s %8.2f %% of a core   %s\n", name, share, lost ? "BUFFERS LOST" : "no buffer lost");
}
}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    bool load = argc > 2 && std::strcmp(argv[2], "load") == 0;
    Rig rig;
    if (!StartRig(&rig)) return 1;
    std::string folder = rig.dir + "/rec", sim = rig.dir + "/usb-host.txt";
    std::system(("mkdir -p '" + folder + "'").c_str());
    std::ofstream(sim) << DEVICE_STATE;
    std::string winFolder = "Z:" + folder;
    for (char& c : winFolder)
        if (c == '/') c = '\\';
    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    CreateRegistryKey(rig, SETTINGS_KEY);
    const std::vector<std::vector<std::string>> values = {
        {"RecFileName",      "REG_SZ",    winFolder + "\\S-"                  },
        {"RecordFormat",     "REG_DWORD", "0"                                 },
        {"RecAutoRecording", "REG_DWORD", "0"                                 },
        {"Mp3Bitrate",       "REG_DWORD", "128"                               },
        {"LastYear",         "REG_DWORD", std::to_string(local.tm_year + 1900)},
        {"LastMonth",        "REG_DWORD", std::to_string(local.tm_mon + 1)    },
        {"LastDay",          "REG_DWORD", std::to_string(local.tm_mday)       },
    };
    for (const auto& v : values)
        RunWine(rig, "reg", {"add", SETTINGS_KEY, "/v", v[0], "/t", v[1], "/d", v[2], "/f"}, 60000);

    pid_t wine = StartDeck(rig, {}, {"QD_USB_SIM=" + sim});
    pid_t deck = -1;
    if (WaitForVisibleWindow(rig, DECK_CLASS, "Quaverly Deck", 60000)) deck = FindDeck(rig);
    if (deck <= 0) {
        std::fprintf(stderr, "the deck did not start\n");
        StopRig(&rig);
        return 1;
    }
    std::vector<pid_t> loaders;
    if (load)
        for (int i = 0; i < 2; ++i) {
            pid_t p = fork();
            if (p == 0)
                for (volatile unsigned long n = 0;; ++n) {}
            loaders.push_back(p);
        }
    std::printf("deck under Wine, %d s per figure%s\n", seconds, load ? ", both cores loaded" : "");
    sleep(2);
    std::printf("%-22s %8.2f %% of a core\n", "idle", Share(deck, seconds));
    MeasureRecording(rig, deck, "recording WAVE 48 kHz", seconds);
    Command(rig, CMD_FORMAT_MP3);
    MeasureRecording(rig, deck, "recording MP3 48 kHz", seconds);
    for (pid_t p : loaders) StopProcess(p);
    CloseWindow(rig, DECK_CLASS);
    WaitExit(wine, 20000, nullptr);
    StopRig(&rig);
    return 0;
}
