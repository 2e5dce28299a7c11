// The deck's limits at their last value and one past it: the prepared record file's path (259
// characters, the most a 260-byte buffer holds, is used) and Play close to a track's end (less
// than 300 ms left jumps to the end, exactly 300 ms plays from there, a shorter track plays).
#include <gtest/gtest.h>

#include <string>

#include "deck/deck.h"
#include "deck_fakes.h"
#include "playback/playback_control.h"
#include "settings/settings.h"

namespace {
// One character more is refused with its message (the record refusals in deck_test.cpp).
TEST(RecordPath, ThePathsLastByteFits) {
    ResetDeckWorld(500000);
    // The base, "001" and ".WAV": 259 characters.
    std::string base = "C:\\rec\\" + std::string(245, 'n');
    std::snprintf(Settings().recFileName, sizeof Settings().recFileName, "%s", base.c_str());
    EnterRecStandby();
    EXPECT_EQ(base + "001.WAV", World().recordTarget);
    EXPECT_EQ(RecStandby, Deck().deckState);
}
TEST(PlayNearTheEnd, LessThan300MsLeftJumpsToTheEnd) {
    // A track shorter than 300 ms still plays from its start.
    const struct {
        uint32_t length, at, from;
    } cases[] = {
        {5000, 4700, 4700},
        {5000, 4701, 5000},
        {200,  0,    0   },
    };
    for (const auto& c : cases) {
        ResetDeckWorld(500000);
        MakePlaylist(2, c.length);
        Deck().currentTrack = 1;
        ASSERT_EQ(1, CueCurrentTrack());
        if (c.at) SeekTrack((int32_t)c.at);
        StartPlay();
        EXPECT_EQ(Playing, Deck().deckState) << c.at;
        EXPECT_EQ(c.from, PlayerPosition()) << c.at;
        EXPECT_EQ(c.from == c.length ? 0 : 1, World().playCalls) << c.at;
    }
}
}  // namespace
