// Test doubles around the deck: a player whose position runs with the fake clock, a recorder
// that logs its calls, a playlist of chosen files, a media probe answering from a table, and a
// device that keeps its registers; and the fixture the deck's tests share.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "display/face_setters.h"
#include "playback/playback_control.h"
#include "settings/settings.h"

struct FakeFile {
    std::string path;
    int playable = 1;  // the probe recognises it
    uint32_t lengthMs = 0;
    uint32_t rate = 44100;
    int kind = 0;       // media kind
    std::string title;  // "" = none (the file name is shown)
    uint8_t status[4] = {4, 6, 0, 0};  // channel status of its title trailer
};

struct FakeWorld {
    // media
    std::vector<FakeFile> files;
    // playlist
    std::vector<std::string> playlist;
    int clearRefused = 0;                      // ClearPlaylist answers as if the user cancelled the save question
    std::vector<std::string> selectFilesAdds;  // what the "Select File" dialog adds
    int selectFilesRuns = 0;
    // player
    std::string openPath;
    int playing = 0;
    uint32_t basePos = 0;  // position when playing (re)started or was last sought
    uint32_t playStartTick = 0;
    int playCalls = 0;
    std::string silencePath;
    int engine = 1;  // ENGINE_MCI or ENGINE_PLAYER for an open track
    int32_t playerLevels[2] = {0, 0};
    // mixer
    int mixerOpens = 1;
    uint32_t mute = 0, volume[2] = {65535, 65535};
    int32_t meter[2] = {0, 0};
    std::vector<std::string> mixerCalls;
    // timers
    int timerDue = 0;
    uint32_t timerAction = 0;
    int timerChecks = 0;
    std::vector<int32_t> probeTicks;  // the state each background probe step was given
    // recorder
    std::vector<std::string> recorderCalls;
    int stepsSinceLevel = 0;
    int captureMode = 0;
    std::string recordTarget;
    uint32_t recordedMs = 0;
    int prepareFails = 0;
    int formatRefused = 0;  // SetRecordFormat answers 0
    // device
    int deviceAttached = 1;
    int waveInputPresent = 1;
    uint32_t reg6 = 1, reg7 = 6, reg8 = 0x22;
    int deviceOpens = 0;
    std::vector<std::vector<uint8_t>> statusWrites;
    // record folder
    std::set<std::string> existingNumbers;  // "<base><nnn>" taken by some file
    int nameDialogs = 0;                    // "Select Record filename" dialogs shown
    std::vector<std::string> deleted;
};

FakeWorld& World();
void ResetWorld();
// ResetWorld, then the deck and every module the deck tests run for real, with the clock at tick.
void ResetDeckWorld(uint32_t tick);

const FakeFile* FindFakeFile(const std::string& path);
// A file the probe knows (not in the playlist), for the caller to shape further.
FakeFile& AddFakeFile(const std::string& path, uint32_t lengthMs = 0);
// Adds n files "C:\\m\\tK.wav" (K = 1..n) of lengthMs each to the probe table and the playlist.
void MakePlaylist(int n, uint32_t lengthMs);
uint32_t PlayerPosition();

// A fresh world with the clock at tick 100000, and the deck's 100 ms timer run by hand.
class DeckFixture : public ::testing::Test {
protected:
    void SetUp() override { ResetDeckWorld(100000); }
    // One pass of the timer, ms after the last; returns the state the face was given.
    static int32_t Tick(uint32_t ms = 100) {
        AdvanceFakeTickCount(ms);
        int32_t shown = -1;
        EXPECT_EQ(DeckTick(&shown), 1);
        return shown;
    }
    static void Ticks(int n) {
        for (int i = 0; i < n; ++i) Tick();
    }
    static void Cue(int n) {
        Deck().currentTrack = n;
        ASSERT_EQ(CueCurrentTrack(), 1);
    }
    static void PlayFrom(int n, uint32_t atMs = 0) {
        Cue(n);
        if (atMs) SeekTrack((int32_t)atMs);
        StartPlay();
        ASSERT_EQ(Deck().deckState, Playing);
    }
    static int State() { return Deck().deckState; }
    static int Track() { return Deck().currentTrack; }
    static std::string Status() { return Face().tickerText; }
};
