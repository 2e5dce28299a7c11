// The pop-up menu: check marks and gray state, and the bitrate commands' effect on a prepared
// record file.
#include "app/deck_menu.h"
#include "base/message_box.h"
#include "deck/deck.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include <gtest/gtest.h>

namespace {
class DeckMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettingsForTest();
        ResetDeckState();
        ResetMessages();
    }
    int Checked(int id) {
        int checked = 0, grayed = 0;
        MenuItemState(id, Deck().deckState, &checked, &grayed);
        return checked;
    }
};

TEST_F(DeckMenu, PowerOffIsGrayedWhileTheTransportRunsOrRecords) {
    const int states[] = {NoTrack, Stopped,   Searching, TrackSpace, Editing, Playing,
                          Paused,  Recording, RecPause,  RecStandby, 10};
    for (int state : states) {
        int checked = 0, grayed = 0;
        MenuItemState(MENU_POWER_OFF, state, &checked, &grayed);
        bool busy = state == Playing || state == Paused || state == Recording || state == RecPause ||
                    state == RecStandby || state == 10;
        EXPECT_EQ(busy, grayed != 0) << state;
        MenuItemState(MENU_POWER_ON, state, &checked, &grayed);
        EXPECT_EQ(0, grayed);
    }
}

TEST_F(DeckMenu, ItemsToggleTheirSettingsAndShowThem) {
    Layout().maxVolume = 0;
    RunMenuItem(MENU_MAX_VOLUME);
    EXPECT_EQ(1u, Layout().maxVolume);
    EXPECT_TRUE(Checked(MENU_MAX_VOLUME));
    RunMenuItem(MENU_MAX_VOLUME);
    EXPECT_EQ(0u, Layout().maxVolume);

    RunMenuItem(MENU_SPACE_DAT);
    EXPECT_EQ(2u, Settings().playSpace);
    EXPECT_TRUE(Checked(MENU_SPACE_DAT));
    EXPECT_FALSE(Checked(MENU_SPACE_MD));

    Settings().timerMode = 7;  // anything but 1 reads as elapsed time
    EXPECT_TRUE(Checked(MENU_TIME_ELAPSED));
    EXPECT_FALSE(Checked(MENU_TIME_LEFT));

    Layout().mag = 1;
    RunMenuItem(MENU_DOUBLE_SIZE);
    EXPECT_EQ(2u, Layout().mag);

    EXPECT_EQ(0, RunMenuItem(40000));
    EXPECT_EQ(0, RunMenuItem(40070));
}

TEST_F(DeckMenu, BitrateChecksFollowTheStoredRate) {
    RunMenuItem(MENU_L3_160);
    EXPECT_EQ(160u, Settings().mp3Bitrate);
    EXPECT_TRUE(Checked(MENU_L3_160));
    EXPECT_FALSE(Checked(MENU_L3_128));
    RunMenuItem(MENU_L1_448);  // not in the menu, but the command takes it
    EXPECT_EQ(448u, Settings().mpegBitrate);
}

TEST_F(DeckMenu, WebInformationAsksFirst) {
    RunMenuItem(MENU_WEB_INFORMATION);
    ASSERT_EQ(1, RecordedMessageCount());
    EXPECT_EQ(STR_GO_TO_WEB_PAGE, RecordedMessageAt(0)->stringId);
    EXPECT_EQ((unsigned)(MSGBOX_YESNO | MSGBOX_ICONINFORMATION), RecordedMessageAt(0)->style);
}

TEST_F(DeckMenu, BitrateOutsideStandbyOnlyStoresTheRate) {
    Settings().recordFormat = 3;
    Settings().mp3Bitrate = 128;
    Deck().deckState = Stopped;
    SetBitrate(2, 128);
    EXPECT_EQ(Stopped, Deck().deckState);
    SetBitrate(2, 160);
    EXPECT_EQ(160u, Settings().mp3Bitrate);
    EXPECT_EQ(Stopped, Deck().deckState);
    SetBitrate(3, 999);  // no such layer
    EXPECT_EQ(160u, Settings().mp3Bitrate);
}
}  // namespace
