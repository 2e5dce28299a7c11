// How long the playlist window takes to open on a full list (999 entries) and to move one entry
// in it, against a list of 3, in one run of Movello.exe under Wine each. wintool times each step
// as one message sent to the deck, which handles it (creating and painting the window, moving
// the entry and redrawing its rows) before the call returns.
//   bench_playlist_window [rounds]      (default 20)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/rig.h"
#include "support/bench_wave.h"

namespace {
const char DECK_CLASS[] = "Vornex_Deck_Controller";
const char LIST_CLASS[] = "VORNEX_USB_PLAY_LIST";

std::string WinPath(const std::string& path) {
    std::string w = "Z:" + path;
    for (char& c : w)
        if (c == '/') c = '\\';
    return w;
}

// wintool's figures: the mean milliseconds of each message it timed.
std::vector<double> Timed(const Rig& rig, const std::vector<std::string>& args) {
    std::string out;
    RunWine(rig, WintoolExePath(), args, 600000, &out);
    size_t cut = out.find_last_of('\n', out.size() > 1 ? out.size() - 2 : 0);
    std::vector<double> values;
    char* p = &out[cut == std::string::npos ? 0 : cut + 1];
    for (char* end = nullptr;; p = end) {
        double v = std::strtod(p, &end);
        if (end == p) break;
        values.push_back(v);
    }
    return values;
}

struct Figures {
    double open = 0, move = 0, nothing = 0;
};

// One deck on a list of `entries`: the window closed and opened `rounds` times, then the middle
// entry moved up and down `rounds` times; a message the deck ignores shows what a round trip costs.
Figures Measure(const Rig& rig, int entries, int rounds) {
    std::string tone = rig.dir + "/t.wav", list = rig.dir + "/l" + std::to_string(entries) + ".spl";
    bench::WriteSilentWave(tone, 44100, 2, 1);  // 1 s of silence
    std::ofstream out(list, std::ios::binary);
    for (int i = 0; i < entries; ++i) out << "\"" << WinPath(tone) << "\"\r\n";
    out.close();
    Figures f;
    pid_t deck = StartDeck(rig, {WinPath(list)});
    if (!WaitForVisibleWindow(rig, DECK_CLASS, "Quaverly Deck", 60000)) {
        std::fprintf(stderr, "the deck did not start\n");
        std::exit(1);
    }
    std::string n = std::to_string(rounds);
    RunWine(rig, WintoolExePath(), {"send", DECK_CLASS, "0x111", "2006", "0"}, 60000);  // first open loads comctl32
    std::vector<double> t =
        Timed(rig, {"timed", n, LIST_CLASS, "0x112", "0xF060", "0", DECK_CLASS, "0x111", "2006", "0"});
    if (t.size() == 2) f.open = t[1];
    // Up and Down in turn on the middle entry: after the first pair both entries it meets are
    // probed, so the figures are the move and the redraw, not the probe a first move runs.
    RunWine(rig, WintoolExePath(), {"lvselect", LIST_CLASS, "302", std::to_string(entries / 2)}, 60000);
    Timed(rig, {"timed", "1", LIST_CLASS, "0x111", "201", "0", LIST_CLASS, "0x111", "202", "0"});
    t = Timed(rig, {"timed", n, LIST_CLASS, "0x111", "201", "0", LIST_CLASS, "0x111", "202", "0"});
    if (t.size() == 2) f.move = (t[0] + t[1]) / 2;
    t = Timed(rig, {"timed", n, DECK_CLASS, "0", "0", "0"});
    if (t.size() == 1) f.nothing = t[0];
    CloseWindow(rig, DECK_CLASS);
    int code = 0;
    if (!WaitExit(deck, 30000, &code)) StopProcess(deck);
    return f;
}
}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    if (rounds < 1) rounds = 1;
    Rig rig;
    if (!StartRig(&rig)) return 1;
    Figures small = Measure(rig, 3, rounds), full = Measure(rig, 999, rounds);
    StopRig(&rig);
    std::printf("playlist window under Wine, mean of %d rounds (a message the deck ignores: %.3f / %.3f ms)\n", rounds,
                small.nothing, full.nothing);
    std::printf("%-28s %10s %10s %8s\n", "", "3 entries", "999", "ratio");
    std::printf("%-28s %8.2f ms %7.2f ms %8.2f\n", "open the window", small.open, full.open,
                small.open > 0 ? full.open / small.open : 0.0);
    std::printf("%-28s %8.2f ms %7.2f ms %8.2f\n", "move the middle entry", small.move, full.move,
                small.move > 0 ? full.move / small.move : 0.0);
    return 0;
}
