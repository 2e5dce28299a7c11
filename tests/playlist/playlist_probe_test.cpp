// Background probing over simulated time: one entry per tick, new entries before older ones,
// once every 5 s while playing, MIDI files a second apart, and nothing after a finished pass
// until a list operation.
#include "playlist_test_util.h"

namespace {

static_assert(PROBE_DECK_PLAYING == (int)Playing && PROBE_DECK_RECORDING == (int)Recording,
              "the playlist paces probing by the deck's own state numbers");

class PlaylistProbe : public ::testing::Test {
protected:
    void SetUp() override { ResetPlaylistWorld(); }
    Scratch dir;

    static std::string States() {  // 'u' unprobed, 'p' probed, 'f' failed, entry by entry
        std::string s;
        PlaylistEntry e;
        for (int n = 1; GetEntry(n, &e); ++n) s += "upf"[e.probeState];
        return s;
    }
    static std::vector<std::string> Ticks(int count, int32_t state = Stopped) {  // States() after each
        std::vector<std::string> seen;
        for (int t = 0; t < count; ++t) AdvanceFakeTickCount(100), ProbeTick(state), seen.push_back(States());
        return seen;
    }
    void AddWaves(int count, const std::string& prefix) {
        for (int i = 0; i < count; ++i) AddPath(WriteWave(dir.File(prefix + std::to_string(i) + ".wav"), 1000).c_str());
    }
};

TEST_F(PlaylistProbe, APassProbesEachEntryOnceInOrderAndThenSleeps) {
    AddWaves(5, "a");
    EXPECT_EQ(Ticks(5), (std::vector<std::string>{"puuuu", "ppuuu", "pppuu", "ppppu", "ppppp"}));
    EXPECT_EQ(PlaylistProbeHeld(), 1);

    // An entry that arrives without a list operation (as from inside a message box) waits for
    // the next operation to wake probing up.
    AddFile(WriteWave(dir.File("late.wav"), 1000).c_str(), 1, OWNER_MAIN_WINDOW);
    EXPECT_EQ(Ticks(50).back(), "pppppu");
    DeleteEntry(1);
    EXPECT_EQ(Ticks(1).back(), "ppppp");
    ExpectListInvariants("after the pass");
}

TEST_F(PlaylistProbe, NewEntriesComeFirstThenTheRestOfTheOlderOnes) {
    AddWaves(5, "old");
    Ticks(2);
    std::string chosen = dir.path + "/" + '\0';
    for (int i = 0; i < 3; ++i)
        chosen += fs::path(WriteWave(dir.File("new" + std::to_string(i) + ".wav"), 1000)).filename().string() + '\0';
    QueueSelectFileResult(chosen.data(), (uint32_t)chosen.size() + 1);
    ASSERT_EQ(AddFilesDialog(), 1);
    EXPECT_EQ(Ticks(6),
              (std::vector<std::string>{"ppuuupuu", "ppuuuppu", "ppuuuppp", "pppuuppp", "ppppuppp", "pppppppp"}));
    EXPECT_EQ(PlaylistProbeHeld(), 1);
}

TEST_F(PlaylistProbe, PlayingOrRecordingProbesOnlyEveryFiveSeconds) {
    AddWaves(4, "p");
    EXPECT_EQ(Ticks(1, Playing).back(), "puuu");
    EXPECT_EQ(Ticks(49, Playing).back(), "puuu");  // 4.9 s
    EXPECT_EQ(Ticks(1, Recording).back(), "ppuu");
    EXPECT_EQ(Ticks(1, Paused).back(), "pppu");  // any other state probes at once
}

TEST_F(PlaylistProbe, MidiFilesAreProbedASecondApart) {
    for (int i = 0; i < 4; ++i) {
        WriteText(dir.File("m" + std::to_string(i) + ".mid"), "MThd not really");
        AddPath(dir.File("m" + std::to_string(i) + ".mid").c_str());
    }
    AddPath(dir.File("absent.mid").c_str());  // one that is not there is not paced
    std::vector<std::string> seen = Ticks(40);
    std::vector<int> probedAt;
    for (size_t t = 1; t < seen.size(); ++t)
        if (seen[t] != seen[t - 1]) probedAt.push_back((int)t);
    EXPECT_EQ(probedAt, (std::vector<int>{10, 20, 30, 31}));
    EXPECT_EQ(seen.back(), "fffff");
}

}  // namespace
