// The pop-up menu: check marks and gray state, and the bitrate commands' effect on a prepared
// record file.
#include "app/deck_menu.h"
#include "base/message_box.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "hardware/sim_state_fixture.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include <gtest/gtest.h>
#include <fstream>

namespace {
class DeckMenu : public SimStateTest {
protected:
    void SetUp() override {
        SimStateTest::SetUp();
        ResetSettingsForTest();
        ResetDeckState();
        ResetDeckTickForTest();
        ResetMessages();
    }
    int Checked(int id) {
        int checked = 0, grayed = 0;
        MenuItemState(id, Deck().deckState, &checked, &grayed);
        return checked;
    }
    // The device reports a power mode and the tick reads it, as it does after every power item.
    void DeviceReportsPower(uint32_t reg8) {
        std::ofstream(path) << "hcd 0 ROOT0\nhub ROOT0 4 {hub}\\0000 USB Root Hub\n"
                            << "port ROOT0 2 vornex {media}\\0007 Kelvara Vornex USB\nreg 6 1\nreg 8 " << reg8 << "\n";
        ASSERT_TRUE(LoadDeviceManager());
        RequestDeviceRead();
        int32_t shown = 0;
        DeckTick(&shown);
        CloseDevice();
    }
};

// Every shown state against every power mode: one item checked, the one the device reports;
// "Power off" grayed while the transport runs or records, the other two never.
TEST_F(DeckMenu, PowerItemsFollowTheDeviceAndPowerOffWaitsForAnIdleDeck) {
    const int states[] = {NoTrack, Stopped,   Searching, TrackSpace, Editing,      Playing,
                          Paused,  Recording, RecPause,  RecStandby, RecAutoActive};
    const int items[] = {MENU_POWER_OFF, MENU_POWER_ON, MENU_AUTO_POWER_ON};
    const uint32_t reports[] = {0x11, 0x02, 0x23};  // low nibble 1 off, 2 on, 3 automatic
    for (int mode = 0; mode < 3; ++mode) {
        DeviceReportsPower(reports[mode]);
        ASSERT_EQ(mode, DeckTickState().powerMode);
        for (int state : states) {
            bool busy = state == Playing || state == Paused || state == Recording || state == RecPause ||
                        state == RecStandby || state == RecAutoActive;
            for (int i = 0; i < 3; ++i) {
                int checked = 0, grayed = 0;
                MenuItemState(items[i], state, &checked, &grayed);
                EXPECT_EQ(i == mode, checked != 0) << "item " << items[i] << " mode " << mode;
                EXPECT_EQ(i == 0 && busy, grayed != 0) << "item " << items[i] << " state " << state;
            }
        }
    }
    // Choosing an item writes its code to the device.
    RunMenuItem(MENU_AUTO_POWER_ON);
    std::ifstream f(path);
    std::string text((std::istreambuf_iterator<char>(f)), {});
    EXPECT_NE(std::string::npos, text.find("wrote reg 8 3"));
}

// Each settings item, run once and again: the value it sets and its check mark. The three
// spaces and the two time displays are choices; the others toggle.
TEST_F(DeckMenu, ItemsSetTheirSettingsAndShowThem) {
    const struct {
        int id;
        uint32_t* value;
        uint32_t once, twice;
    } rows[] = {
        {MENU_DOUBLE_SIZE,   &Layout().mag,        2,               1              },
        {MENU_ALWAYS_ON_TOP, &Layout().top,        1,               0              },
        {MENU_MAX_VOLUME,    &Layout().maxVolume,  1,               0              },
        {MENU_SPACE_DAT,     &Settings().playSpace, 2,              2              },
        {MENU_SPACE_NONE,    &Settings().playSpace, 0,              0              },
        {MENU_SPACE_MD,      &Settings().playSpace, 1,              1              },
        {MENU_TIME_LEFT,     &Settings().timerMode, TIMER_MODE_LEFT, TIMER_MODE_LEFT},
        {MENU_TIME_ELAPSED,  &Settings().timerMode, TIMER_MODE_ELAPSED, TIMER_MODE_ELAPSED},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(1, RunMenuItem(r.id));
        EXPECT_EQ(r.once, *r.value) << r.id;
        EXPECT_TRUE(Checked(r.id)) << r.id;
        RunMenuItem(r.id);
        EXPECT_EQ(r.twice, *r.value) << r.id;
        EXPECT_EQ(r.once == r.twice, Checked(r.id) != 0) << r.id;
    }
    EXPECT_FALSE(Checked(MENU_SPACE_DAT));
    Settings().timerMode = 7;  // anything but 1 reads as elapsed time
    EXPECT_TRUE(Checked(MENU_TIME_ELAPSED));
    EXPECT_FALSE(Checked(MENU_TIME_LEFT));

    EXPECT_EQ(0, RunMenuItem(MENU_FIRST_ITEM - 1));
    EXPECT_EQ(0, RunMenuItem(MENU_LAST_ITEM + 1));
}

// Outside record standby a bitrate is only stored: no file to prepare again.
TEST_F(DeckMenu, BitrateChecksFollowTheStoredRate) {
    Settings().recordFormat = 3;
    Deck().deckState = Stopped;
    RunMenuItem(MENU_L3_160);
    EXPECT_EQ(160u, Settings().mp3Bitrate);
    EXPECT_TRUE(Checked(MENU_L3_160));
    EXPECT_FALSE(Checked(MENU_L3_128));
    EXPECT_EQ(Stopped, Deck().deckState);
    RunMenuItem(MENU_L1_448);  // not in the menu, but the command takes it
    EXPECT_EQ(448u, Settings().mpegBitrate);
    SetBitrate(3, 999);  // no such layer
    EXPECT_EQ(160u, Settings().mp3Bitrate);
}

TEST_F(DeckMenu, WebInformationAsksFirst) {
    RunMenuItem(MENU_WEB_INFORMATION);
    ASSERT_EQ(1, RecordedMessageCount());
    EXPECT_EQ(STR_GO_TO_WEB_PAGE, RecordedMessageAt(0)->stringId);
    EXPECT_EQ((unsigned)(MSGBOX_YESNO | MSGBOX_ICONINFORMATION), RecordedMessageAt(0)->style);
}
}  // namespace
