// The track gap's marks for MiniDisc and DAT recorders, and when the ticks do not come every
// 100 ms: a tick late by half a second or more still moves the gap one phase at a time (the
// MiniDisc mark, then the track's own status on a later tick), and the boundaries are strict
// (200, 500 and 4000 ms are not yet past), also when the tick count wraps inside the gap.
#include "deck/track_gap.h"
#include "deck_fakes.h"

namespace {
using Block = std::vector<uint8_t>;

class TrackGapTiming : public DeckFixture {};

// Each case plays the last 50 ms of track 1 (the tick that ends it starts the gap), then ticks
// at the given distances. A DAT recorder is told a new track starts only when the next track's
// own status allows a copy (generation bit clear); without the device no mark goes anywhere.
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
        std::vector<Block> writes;  // all of them
        uint8_t nextByte1 = 6;      // byte 1 of the next track's status
        int attached = 1;
        uint32_t playTick = 100000;  // the tick count when track 1 starts
    };
    const std::vector<Step> late = {{4500, 1, TrackSpace}, {100, 2, Playing}, {100, 3, Playing}};
    const std::vector<Step> lateNoMark = {{4500, 0, TrackSpace}, {100, 1, Playing}, {100, 2, Playing}};
    const std::vector<Step> lateNoDevice = {{4500, 0, TrackSpace}, {100, 0, Playing}, {100, 0, Playing}};
    const Case cases[] = {
        {"MD, first tick 600 ms in",
         PLAY_SPACE_MD, {{600, 1, TrackSpace}, {100, 2, TrackSpace}, {3200, 2, TrackSpace}, {200, 2, Playing}},
         {md, {4, 6, 0, 0}}},
        {"MD, one tick 4.5 s in", PLAY_SPACE_MD, {{4500, 1, TrackSpace}, {100, 2, Playing}}, {md, {4, 6, 0, 0}}},
        {"MD, ticks on the boundaries",
         PLAY_SPACE_MD,
         {{200, 0, TrackSpace}, {1, 1, TrackSpace}, {299, 1, TrackSpace}, {1, 2, TrackSpace}, {3499, 2, TrackSpace},
          {1, 2, Playing}},
         {md, {4, 6, 0, 0}}},
        {"DAT, one tick 4.5 s in", PLAY_SPACE_DAT, late, {datMark, datEnd, {4, 6, 0, 0}}},
        {"DAT, generation bit set", PLAY_SPACE_DAT, lateNoMark, {datEnd, {4, 0x86, 0, 0}}, 0x86},
        {"DAT, only the generation bit", PLAY_SPACE_DAT, lateNoMark, {datEnd, {4, 0x80, 0, 0}}, 0x80},
        {"DAT, every other bit", PLAY_SPACE_DAT, late, {datMark, datEnd, {4, 0x7F, 0, 0}}, 0x7F},
        {"MD, no device", PLAY_SPACE_MD, lateNoDevice, {}, 6, 0},
        {"DAT, no device", PLAY_SPACE_DAT, lateNoDevice, {}, 6, 0},
        {"MD, boundaries after the tick count wrapped 100 ms into the gap",
         PLAY_SPACE_MD,
         {{200, 0, TrackSpace}, {1, 1, TrackSpace}, {299, 1, TrackSpace}, {1, 2, TrackSpace}, {3499, 2, TrackSpace},
          {1, 2, Playing}},
         {md, {4, 6, 0, 0}}, 6, 1, 0xFFFFFFFFu - 200u},
    };
    for (const Case& c : cases) {
        ResetDeckWorld(c.playTick);
        MakePlaylist(2, 5000);
        World().files[1].status[1] = c.nextByte1;
        World().deviceAttached = c.attached;
        Settings().playSpace = c.playSpace;
        Cue(1);
        SeekTrack(4950);
        StartPlay();
        World().statusWrites.clear();
        Tick(100);
        ASSERT_EQ(TrackSpace, Deck().deckState) << c.what;
        int n = 0;
        for (const Step& s : c.steps) {
            Tick(s.afterMs);
            SCOPED_TRACE(std::string(c.what) + ", step " + std::to_string(++n));
            EXPECT_EQ(s.writes, World().statusWrites.size());
            EXPECT_EQ(s.state, Deck().deckState);
        }
        EXPECT_EQ(c.writes, World().statusWrites) << c.what;
    }
}
}  // namespace
