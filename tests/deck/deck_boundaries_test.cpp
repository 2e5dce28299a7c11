// The deck at the edges of its ranges: searches, Next and Previous under each repeat mode from
// the first, a middle and the last entry, the record-number search around 999 and its wrap to
// 000 with some numbers taken, the record path's last byte and Play close to a track's end.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "deck/record_naming.h"
#include "deck_fakes.h"

namespace {

// Edges start further along the clock than the other deck tests.
class DeckEdges : public DeckFixture {
protected:
    void SetUp() override { ResetDeckWorld(500000); }
};

// --- searches across track boundaries ---------------------------------------------------------

enum { TRACKS = 3, LENGTH_MS = 10000 };

struct SearchCase {
    int forward;      // 1 fast forward, 0 rewind
    uint32_t repeat;  // 0 off, 1 one track, 2 the list
    int from;         // entry played when the key goes down
    int track;        // entry cued two ticks later
    uint32_t pos;     // and its position
};

// FF starts 2 s before the end, REW 1.5 s after the start. At ten times speed the second tick
// crosses the boundary; the leg that follows runs one more tick into the new track (1 s), or
// the search holds at the boundary it may not pass.
const SearchCase SEARCH_CASES[] = {
  // FF, repeat off: on to the next entry, but not past the last
    {1, 0, 1, 2, 1000     },
    {1, 0, 2, 3, 1000     },
    {1, 0, 3, 3, LENGTH_MS},
 // FF, repeat one: every entry holds at its own end
    {1, 1, 1, 1, LENGTH_MS},
    {1, 1, 2, 2, LENGTH_MS},
    {1, 1, 3, 3, LENGTH_MS},
 // FF, repeat all: the last entry goes on at the top of the list
    {1, 2, 1, 2, 1000     },
    {1, 2, 2, 3, 1000     },
    {1, 2, 3, 1, 1000     },
 // REW, repeat off: back to the previous entry's end, but not before the first
    {0, 0, 1, 1, 0        },
    {0, 0, 2, 1, 9000     },
    {0, 0, 3, 2, 9000     },
 // REW, repeat one: every entry holds at its own start
    {0, 1, 1, 1, 0        },
    {0, 1, 2, 2, 0        },
    {0, 1, 3, 3, 0        },
 // REW, repeat all: the first entry goes on from the end of the last
    {0, 2, 1, 3, 9000     },
    {0, 2, 2, 1, 9000     },
    {0, 2, 3, 2, 9000     },
};

// Each case also runs with the tick count wrapping to 0 half way through the search.
TEST_F(DeckEdges, SearchesAcrossTrackEndsFollowTheRepeatMode) {
    for (uint32_t startTick : {500000u, 0xFFFFFFFFu - 150u})
    for (const SearchCase& c : SEARCH_CASES) {
        ResetDeckWorld(startTick);
        SCOPED_TRACE(std::string(c.forward ? "FF" : "REW") + " repeat " + std::to_string(c.repeat) +
                     " from entry " + std::to_string(c.from) + " at tick " + std::to_string(startTick));
        MakePlaylist(TRACKS, LENGTH_MS);
        Settings().repeat = c.repeat;
        PlayFrom(c.from, c.forward ? LENGTH_MS - 2000 : 1500);

        c.forward ? FastForwardDown() : RewindDown();
        Tick();
        Tick();
        EXPECT_EQ(Deck().currentTrack, c.track);
        EXPECT_EQ(PlayerPosition(), c.pos);
        EXPECT_EQ(World().openPath, "C:\\m\\t" + std::to_string(c.track) + ".wav") << "the cued file";
        EXPECT_EQ(Deck().searchDir, c.forward ? SEARCH_FORWARD : SEARCH_BACKWARD) << "still searching";

        c.forward ? FastForwardUp() : RewindUp();
        EXPECT_EQ(Deck().deckState, Playing) << "playing again after the release";
        EXPECT_EQ(Deck().currentTrack, c.track);
        EXPECT_EQ(Deck().searchDir, SEARCH_NONE);
    }
}

// Next and Previous: the keys move whatever the repeat mode, except that Next on the last entry
// with repeat off stops at the top of the list, and Previous from 3001 ms on restarts the track.
// A playing deck plays on; a stopped one stays stopped.
struct SkipCase {
    int next;  // 1 Next, 0 Previous
    uint32_t repeat;
    int from;
    uint32_t atMs;  // into the track when the key is pressed
    int before;     // Playing or Stopped
    int track;      // entry cued afterwards
    int state;      // and the deck's state
};

const SkipCase SKIP_CASES[] = {
    {1, 0, 1, 1000, Playing, 2, Playing},
    {1, 0, 2, 1000, Playing, 3, Playing},
    {1, 0, 3, 1000, Playing, 1, Stopped},
    {1, 1, 1, 1000, Playing, 2, Playing},
    {1, 1, 2, 1000, Playing, 3, Playing},
    {1, 1, 3, 1000, Playing, 1, Playing},
    {1, 2, 1, 1000, Playing, 2, Playing},
    {1, 2, 2, 1000, Playing, 3, Playing},
    {1, 2, 3, 1000, Playing, 1, Playing},
    {0, 0, 1, 1000, Playing, 3, Playing},
    {0, 0, 2, 1000, Playing, 1, Playing},
    {0, 0, 3, 1000, Playing, 2, Playing},
    {0, 1, 1, 1000, Playing, 3, Playing},
    {0, 1, 2, 1000, Playing, 1, Playing},
    {0, 1, 3, 1000, Playing, 2, Playing},
    {0, 2, 1, 1000, Playing, 3, Playing},
    {0, 2, 2, 1000, Playing, 1, Playing},
    {0, 2, 3, 1000, Playing, 2, Playing},
    {0, 0, 2, 3000, Playing, 1, Playing},
    {0, 0, 2, 3001, Playing, 2, Playing},  // the same track from its start
    {0, 0, 3, 500,  Stopped, 2, Stopped},
    {1, 0, 1, 500,  Stopped, 2, Stopped},
};

TEST_F(DeckEdges, NextAndPreviousMoveUnderEveryRepeatMode) {
    for (const SkipCase& c : SKIP_CASES) {
        SetUp();
        SCOPED_TRACE(std::string(c.next ? "Next" : "Previous") + " repeat " + std::to_string(c.repeat) +
                     " from entry " + std::to_string(c.from) + " at " + std::to_string(c.atMs));
        MakePlaylist(TRACKS, LENGTH_MS);
        Settings().repeat = c.repeat;
        Cue(c.from);
        SeekTrack((int32_t)c.atMs);
        if (c.before == Playing) StartPlay();

        c.next ? NextTrack() : PrevTrack();
        EXPECT_EQ(Deck().currentTrack, c.track);
        EXPECT_EQ(Deck().deckState, c.state);
        EXPECT_EQ(World().openPath, "C:\\m\\t" + std::to_string(c.track) + ".wav");
        EXPECT_EQ(PlayerPosition(), 0u);
    }
}

// When the entries after the one that ended cannot be played, repeat off gives up rather than
// going round to the top of the list; repeat all goes round.
TEST_F(DeckEdges, TrackEndWithTheRestUnplayableGoesRoundOnlyUnderRepeatAll) {
    const struct {
        uint32_t repeat;
        int state, plays;
    } cases[] = {
        {REPEAT_OFF,  NoTrack, 1}, // nothing more to play
        {REPEAT_LIST, Playing, 2}, // entry 1 again
    };
    for (const auto& c : cases) {
        SetUp();
        MakePlaylist(TRACKS, 1000);
        World().files[1].playable = 0;
        World().files[2].playable = 0;
        Settings().repeat = c.repeat;
        PlayFrom(1);
        Ticks(15);
        EXPECT_EQ(Deck().deckState, c.state) << c.repeat;
        EXPECT_EQ(Deck().currentTrack, 1) << c.repeat;
        EXPECT_EQ(World().playCalls, c.plays) << c.repeat;
    }
}

// --- record numbers ---------------------------------------------------------------------------

const char* const EXTENSIONS[] = {".WAV", ".MPA", ".MP2", ".MP3"};

struct NumberCase {
    const char* name;
    unsigned start;               // the running number before Record
    std::vector<unsigned> taken;  // numbers some file of the base already has
    int onlyFree;                 // >= 0: every number but this one is taken
    unsigned expected;            // the number of the prepared file
};

const NumberCase NUMBER_CASES[] = {
    {"998 free",                   998, {},             -1, 998},
    {"998 taken",                  998, {998},          -1, 999},
    {"998 and 999 taken",          998, {998, 999},     -1, 0  },
    {"999 and 000 taken",          999, {999, 0},       -1, 1  },
    {"wrap skips taken low ones",  999, {999, 0, 1, 2}, -1, 3  },
    {"numbers below do not count", 998, {997, 0},       -1, 998},
    {"the one gap is found",       5,   {},             4,  4  },
};

void Take(unsigned n) {
    char base[64];
    std::snprintf(base, sizeof base, "C:\\rec\\Live%03u", n);
    World().existingNumbers.insert(base);
}

TEST_F(DeckEdges, RecordNumbersRunUpTo999AndWrapTo000) {
    for (int format = 0; format < 4; ++format) {
        for (const NumberCase& c : NUMBER_CASES) {
            SetUp();
            SCOPED_TRACE(std::string(c.name) + ", format " + std::to_string(format));
            char chosen[64];
            std::snprintf(chosen, sizeof chosen, "C:\\rec\\Live%03u.xyz", c.start);
            SetBaseFromChosenName(chosen);
            ASSERT_EQ(GetRecordNumber(), c.start);
            Settings().recordFormat = (uint32_t)format;
            for (unsigned n : c.taken) Take(n);
            for (int n = 0; c.onlyFree >= 0 && n < 1000; ++n)
                if (n != c.onlyFree) Take((unsigned)n);

            ASSERT_EQ(EnterRecStandby(), 1);
            char expected[64];
            std::snprintf(expected, sizeof expected, "C:\\rec\\Live%03u%s", c.expected, EXTENSIONS[format]);
            EXPECT_EQ(World().recordTarget, expected);
            EXPECT_EQ(Deck().deckState, RecStandby);
            EXPECT_EQ(GetRecordNumber(), c.expected) << "the search goes on from here next time";
        }
    }
}

// The record file's path at its last byte: the base, "001" and ".WAV" come to 259 characters,
// the most a 260-byte buffer holds (one more is refused, in deck_test.cpp).
TEST_F(DeckEdges, TheRecordPathsLastByteFits) {
    std::string base = "C:\\rec\\" + std::string(245, 'n');
    std::snprintf(Settings().recFileName, sizeof Settings().recFileName, "%s", base.c_str());
    EnterRecStandby();
    EXPECT_EQ(base + "001.WAV", World().recordTarget);
    EXPECT_EQ(RecStandby, Deck().deckState);
}

// Play with less than 300 ms left jumps to the end; exactly 300 ms plays from there, and a track
// shorter than 300 ms still plays from its start.
TEST_F(DeckEdges, PlayWithLessThan300MsLeftJumpsToTheEnd) {
    const struct {
        uint32_t length, at, from;
    } cases[] = {
        {5000, 4700, 4700},
        {5000, 4701, 5000},
        {200,  0,    0   },
    };
    for (const auto& c : cases) {
        SetUp();
        MakePlaylist(2, c.length);
        Cue(1);
        if (c.at) SeekTrack((int32_t)c.at);
        StartPlay();
        EXPECT_EQ(Playing, Deck().deckState) << c.at;
        EXPECT_EQ(c.from, PlayerPosition()) << c.at;
        EXPECT_EQ(c.from == c.length ? 0 : 1, World().playCalls) << c.at;
    }
}

}  // namespace
