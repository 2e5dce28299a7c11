// The deck's limits at their last value and one past it: the prepared record file's path (259
// characters, the most a 260-byte buffer holds, is used; one more is refused with its message
// before anything is armed) and Play close to a track's end (less than 300 ms left jumps to the
// end, exactly 300 ms plays from there).
#include <gtest/gtest.h>

#include <string>

#include "base/message_box.h"
#include "deck/deck.h"
#include "deck_fakes.h"
#include "playback/playback_control.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {
TEST(RecordPath, ThePathsLastByteFitsAndOneMoreIsRefused) {
    for (int extra : {0, 1}) {
        ResetDeckWorld(500000);
        ResetMessages();
        // The base, "001" and ".WAV": 259 characters, then 260.
        std::string base = "C:\\rec\\" + std::string(245 + extra, 'n');
        std::snprintf(Settings().recFileName, sizeof Settings().recFileName, "%s", base.c_str());
        Settings().recordFormat = 0;
        EnterRecStandby();
        if (extra == 0) {
            EXPECT_EQ(base + "001.WAV", World().recordTarget);
            EXPECT_EQ(RecStandby, Deck().deckState);
        } else {
            EXPECT_EQ("", World().recordTarget);
            EXPECT_NE(RecStandby, Deck().deckState);
            ASSERT_EQ(1, RecordedMessageCount());
            EXPECT_EQ(STR_PATH_TOO_LONG, RecordedMessageAt(0)->stringId);
        }
    }
}
TEST(PlayNearTheEnd, LessThan300MsLeftJumpsToTheEnd) {
    for (uint32_t at : {4700u, 4701u}) {
        ResetDeckWorld(500000);
        MakePlaylist(2, 5000);
        Deck().currentTrack = 1;
        ASSERT_EQ(1, CueCurrentTrack());
        SeekTrack((int32_t)at);
        StartPlay();
        EXPECT_EQ(Playing, Deck().deckState) << at;
        EXPECT_EQ(at == 4700u ? 4700u : 5000u, PlayerPosition()) << at;
    }
}
}  // namespace
