// Background probing over simulated time: one entry per tick, new entries before older ones,
// once every 5 s while playing, MIDI files a second apart, and nothing while a pass is finished.
#include "playlist_test_util.h"

namespace {

class PlaylistProbe : public ::testing::Test {
protected:
    void SetUp() override { ResetPlaylistWorld(); }
    Scratch dir;

    // Entries in the state they are in now: 'u' unprobed, 'p' probed, 'f' failed.
    static std::string States() {
        std::string s;
        PlaylistEntry e;
        for (int n = 1; GetEntry(n, &e); ++n) s += "upf"[e.probeState];
        return s;
    }
    static void Tick(int32_t state = Stopped) {
        AdvanceFakeTickCount(100);
        ProbeTick(state);
    }
    void AddWaves(int count, const std::string& prefix) {
        for (int i = 0; i < count; ++i) AddPath(WriteWave(dir.File(prefix + std::to_string(i) + ".wav"), 1000).c_str());
    }
};

TEST_F(PlaylistProbe, APassProbesEachEntryOnceInOrderAndThenSleeps) {
    AddWaves(5, "a");
    std::vector<std::string> seen;
    for (int t = 0; t < 5; ++t) {
        Tick();
        seen.push_back(States());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"puuuu", "ppuuu", "pppuu", "ppppu", "ppppp"}));
    EXPECT_EQ(PlaylistProbeHeld(), 1);

    // Asleep: an entry that arrives without a list operation (as from inside a message box)
    // waits until the next operation wakes probing up.
    AddFile(WriteWave(dir.File("late.wav"), 1000).c_str(), 1, OWNER_MAIN_WINDOW);
    for (int t = 0; t < 50; ++t) Tick();
    EXPECT_EQ(States(), "pppppu");
    DeleteEntry(1);
    Tick();
    EXPECT_EQ(States(), "ppppp");
    ExpectListInvariants("after the pass");
}

TEST_F(PlaylistProbe, NewEntriesComeFirstThenTheRestOfTheOlderOnes) {
    AddWaves(5, "old");
    Tick();
    Tick();
    ASSERT_EQ(States(), "ppuuu");
    std::string buf = dir.path + "/" + '\0';
    for (int i = 0; i < 3; ++i) {
        std::string name = "new" + std::to_string(i) + ".wav";
        WriteWave(dir.File(name), 1000);
        buf += name + '\0';
    }
    buf += '\0';
    QueueSelectFileResult(buf.data(), (uint32_t)buf.size());
    ASSERT_EQ(AddFilesDialog(), 1);

    std::vector<std::string> seen;
    for (int t = 0; t < 6; ++t) {
        Tick();
        seen.push_back(States());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"ppuuupuu", "ppuuuppu", "ppuuuppp", "pppuuppp", "ppppuppp", "pppppppp"}));
    EXPECT_EQ(PlaylistProbeHeld(), 1);
}

TEST_F(PlaylistProbe, PlayingOrRecordingProbesOnlyEveryFiveSeconds) {
    AddWaves(4, "p");
    Tick(Playing);
    ASSERT_EQ(States(), "puuu");
    for (int t = 0; t < 49; ++t) Tick(Playing);  // 4.9 s
    EXPECT_EQ(States(), "puuu");
    Tick(Recording);
    EXPECT_EQ(States(), "ppuu");
    Tick(Paused);  // any other state probes at once
    EXPECT_EQ(States(), "pppu");
}

TEST_F(PlaylistProbe, MidiFilesAreProbedASecondApart) {
    for (int i = 0; i < 4; ++i) WriteText(dir.File("m" + std::to_string(i) + ".mid"), "MThd not really");
    for (int i = 0; i < 4; ++i) AddPath(dir.File("m" + std::to_string(i) + ".mid").c_str());
    AddPath(dir.File("absent.mid").c_str());  // a MIDI file that is not there is not paced

    int ticks = 0;
    std::vector<int> probedAt;
    std::string last = States();
    while (States().find('u') != std::string::npos && ticks < 1000) {
        Tick();
        ++ticks;
        if (States() != last) probedAt.push_back(ticks);
        last = States();
    }
    ASSERT_EQ(probedAt.size(), 5u);
    for (size_t i = 1; i < 4; ++i) EXPECT_GE(probedAt[i] - probedAt[i - 1], 10) << i;
    EXPECT_EQ(probedAt[4] - probedAt[3], 1);
    EXPECT_EQ(States(), "fffff");
}

TEST_F(PlaylistProbe, LongRunsWithEditsEndWithEveryEntryProbed) {
    AddWaves(40, "l");
    for (int round = 0; round < 20; ++round) {
        for (int t = 0; t < 7; ++t) Tick(round % 3 ? Stopped : Playing);
        switch (round % 4) {
        case 0: DeleteEntry(1 + round % GetEntryCount()); break;
        case 1: AddWaves(3, "r" + std::to_string(round) + "_"); break;
        case 2: MoveEntryDown(GetEntryCount()); break;
        case 3: ClearPlaylistWithoutPrompt(), AddWaves(10, "c" + std::to_string(round) + "_"); break;
        }
        ExpectListInvariants(("round " + std::to_string(round)).c_str());
    }
    // Left alone, probing reaches every entry once and then rests.
    int count = GetEntryCount(), ticks = 0;
    while (!PlaylistProbeHeld() && ticks < 10 * count) Tick(), ++ticks;
    EXPECT_EQ(States(), std::string((size_t)count, 'p'));
    EXPECT_LE(ticks, count);
    ExpectListInvariants("rested");
}

}  // namespace
