// The list across runs of the deck under Wine, seen from outside: an unnamed list is kept in
// NoName.$$$ beside the program and comes back at the next start; a list opened from a ".spl"
// file goes into the history and reopens from it, with no temporary list left behind.
#include <gtest/gtest.h>
#include "tool_skip.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "e2e/e2e_files.h"
#include "e2e/rig.h"

namespace {
namespace fs = std::filesystem;

using e2e::DECK_CLASS;
using e2e::DECK_TITLE;
using e2e::WinPath;
const char VENDOR_KEY[] = "HKCU\\SOFTWARE\\Kelvara";
const char LIST_KEY[] = "HKCU\\SOFTWARE\\Kelvara\\Vornex USB\\Deck Controller\\ListInformation";

// Two seconds of tone.
void WriteTone(const std::string& path) { e2e::WriteWave(path, e2e::Tone(2000, 440.0)); }

class PlaylistAcrossRuns : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PathExists(DeckExePath()) || !PathExists(WintoolExePath())) {
            if (std::getenv("CI")) FAIL() << "Windows build missing: " << DeckExePath();
            SKIP_UNLESS_CI("Windows build missing: " << DeckExePath());
        }
        ASSERT_TRUE(StartRig(&rig));
        vendorKeyExisted = RunWine(rig, "reg", {"query", VENDOR_KEY}, 60000) == 0;
        // As the installer does: an ordinary key, so the list's values outlive the wineserver.
        RunWine(rig, "reg", {"delete", LIST_KEY, "/f"}, 60000);
        ASSERT_TRUE(CreateRegistryKey(rig, LIST_KEY));
        // A private copy of the program, so its NoName.$$$ is this test's own.
        app = rig.dir + "/app";
        fs::create_directories(app);
        for (const char* f : {"Movello.exe", "tavply.dll", "tavenc.dll"})
            fs::copy_file(WindowsBinDir() + "/" + f, app + "/" + f, fs::copy_options::overwrite_existing);
    }
    void TearDown() override {
        if (deck > 0) StopProcess(deck);
        if (rig.started) {
            // Later tests start from the registry as it was.
            RunWine(rig, "reg", {"delete", vendorKeyExisted ? LIST_KEY : VENDOR_KEY, "/f"}, 60000);
            StopRig(&rig);
        }
    }
    // One run of the deck: start with the given files, wait for its window, close it.
    void RunDeck(const std::vector<std::string>& args) {
        deck = StartWine(rig, app + "/Movello.exe", args, {}, rig.dir + "/deck.log");
        ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, e2e::START_MS));
        ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
        int code = -1;
        ASSERT_TRUE(WaitExit(deck, e2e::WAIT_MS, &code));
        deck = -1;
        EXPECT_EQ(code, 0);
    }
    std::string Value(const std::string& name) {
        std::string data;
        return ReadRegistryValue(rig, LIST_KEY, name, &data) ? data : std::string("(absent)");
    }
    Rig rig;
    std::string app;
    pid_t deck = -1;
    bool vendorKeyExisted = false;
};

TEST_F(PlaylistAcrossRuns, UnnamedListComesBackAndASavedListReopensFromTheHistory) {
    std::string tone = rig.dir + "/tone.wav", noName = app + "/NoName.$$$";
    WriteTone(tone);

    ASSERT_NO_FATAL_FAILURE(RunDeck({WinPath(tone)}));
    EXPECT_EQ(Value("NoName"), WinPath(noName));
    std::string kept = ReadTextFile(noName);
    EXPECT_EQ(kept.rfind(";NONAME.$$$\r\n", 0), 0u) << kept;
    EXPECT_NE(kept.find("\"" + WinPath(tone) + "\""), std::string::npos) << kept;

    // A start without files brings the list back, and the next end keeps it again.
    ASSERT_NO_FATAL_FAILURE(RunDeck({}));
    EXPECT_NE(ReadTextFile(noName).find(WinPath(tone)), std::string::npos);

    // A list file opened at start names the list and goes into the history.
    std::string party = rig.dir + "/Party.spl";
    std::ofstream(party, std::ios::binary) << ";PARTY.SPL\r\n\"" + WinPath(tone) + "\"\t\".\\tone.wav\"\r\n";
    ASSERT_NO_FATAL_FAILURE(RunDeck({WinPath(party)}));
    EXPECT_EQ(Value("file1"), WinPath(party));
    EXPECT_EQ(Value("NoName"), "(absent)");

    // Started again, the deck reopens it from the history: still named, so no temporary list.
    ASSERT_NO_FATAL_FAILURE(RunDeck({}));
    EXPECT_EQ(Value("file1"), WinPath(party));
    EXPECT_EQ(Value("NoName"), "(absent)");
}

}  // namespace
