// The track gap's marks when the ticks do not come every 100 ms: a tick late by half a second or
// more still moves the gap one phase at a time (the MiniDisc mark, then the track's own status
// on a later tick), and the boundaries are strict (200, 500 and 4000 ms are not yet past).
#include <gtest/gtest.h>

#include "base/clock.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "deck/track_gap.h"
#include "deck_fakes.h"
#include "playback/playback_control.h"
#include "settings/settings.h"

namespace {
using Block = std::vector<uint8_t>;

class TrackGapTiming : public ::testing::Test {
protected:
    void SetUp() override { ResetDeckWorld(100000); }
    void TickAfter(uint32_t ms) {
        AdvanceFakeTickCount(ms);
        int32_t shown = 0;
        DeckTick(&shown);
    }
    // Plays the last 50 ms of track 1; the tick that ends it starts the gap.
    void EnterGap(uint32_t playSpace) {
        MakePlaylist(2, 5000);
        Settings().playSpace = playSpace;
        Deck().currentTrack = 1;
        ASSERT_EQ(1, CueCurrentTrack());
        SeekTrack(4950);
        StartPlay();
        TickAfter(100);
        ASSERT_EQ(TrackSpace, Deck().deckState);
    }
};

TEST_F(TrackGapTiming, LateAndBoundaryTicksMoveTheGapOnePhaseAtATime) {
    const Block md = {0, 22, 0, 0}, datMark = {0, 6, 0, 0}, datEnd = {0, 150, 0, 0};
    struct Step {
        uint32_t afterMs;  // since the tick before
        size_t writes;     // status writes since the gap began
        int state;
    };
    struct Case {
        const char* what;
        uint32_t playSpace;
        std::vector<Step> steps;
        std::vector<Block> writes;  // all of them, the track's own status as {}
    };
    const Case cases[] = {
        {"MD, first tick 600 ms in",
         PLAY_SPACE_MD, {{600, 1, TrackSpace}, {100, 2, TrackSpace}, {3200, 2, TrackSpace}, {200, 2, Playing}}, {md, {}}},
        {"MD, one tick 4.5 s in",
         PLAY_SPACE_MD, {{4500, 1, TrackSpace}, {100, 2, Playing}}, {md, {}}},
        {"MD, ticks on the boundaries",
         PLAY_SPACE_MD,
         {{200, 0, TrackSpace}, {1, 1, TrackSpace}, {299, 1, TrackSpace}, {1, 2, TrackSpace}, {3499, 2, TrackSpace},
          {1, 2, Playing}},
         {md, {}}},
        {"DAT, one tick 4.5 s in",
         PLAY_SPACE_DAT, {{4500, 1, TrackSpace}, {100, 2, Playing}, {100, 3, Playing}}, {datMark, datEnd, {}}},
    };
    for (const Case& c : cases) {
        SetUp();
        World().statusWrites.clear();
        EnterGap(c.playSpace);
        const Block track(GetTrackChannelStatus(), GetTrackChannelStatus() + 4);
        int n = 0;
        for (const Step& s : c.steps) {
            TickAfter(s.afterMs);
            SCOPED_TRACE(std::string(c.what) + ", step " + std::to_string(++n));
            EXPECT_EQ(s.writes, World().statusWrites.size());
            EXPECT_EQ(s.state, Deck().deckState);
        }
        std::vector<Block> want = c.writes;
        for (Block& b : want)
            if (b.empty()) b = track;
        EXPECT_EQ(want, World().statusWrites) << c.what;
    }
}

// A DAT recorder is told a new track starts only when the next track's own status allows a
// copy (generation bit clear); the end of the gap and that status go out either way.
TEST_F(TrackGapTiming, TheDatStartMarkFollowsTheNextTracksGenerationBit) {
    const Block datMark = {0, 6, 0, 0}, datEnd = {0, 150, 0, 0};
    for (uint8_t byte1 : {0x06, 0x86, 0x7F, 0x80}) {
        SetUp();
        World().statusWrites.clear();
        MakePlaylist(2, 5000);
        World().files[1].status[1] = byte1;
        Settings().playSpace = PLAY_SPACE_DAT;
        Deck().currentTrack = 1;
        ASSERT_EQ(1, CueCurrentTrack());
        SeekTrack(4950);
        StartPlay();
        TickAfter(100);
        ASSERT_EQ(TrackSpace, Deck().deckState);
        TickAfter(4500);
        TickAfter(100);
        TickAfter(100);
        const Block next = {4, byte1, 0, 0};
        std::vector<Block> want = {datEnd, next};
        if (!(byte1 & 0x80)) want.insert(want.begin(), datMark);
        EXPECT_EQ(want, World().statusWrites) << int(byte1);
    }
}
}  // namespace
