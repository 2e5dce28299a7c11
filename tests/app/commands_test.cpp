// Command dispatch: every command id reaches its operation, unbound ids do nothing, and the
// mute button, the volume slider and the power mode reach the mixer and the device. The pop-up
// menu: check marks and gray state, and the bitrate commands' effect on a prepared record file.
#include "app/commands.h"
#include "app/deck_menu.h"
#include "base/message_box.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "deck/deck_ui_native.h"
#include "display/face_setters.h"
#include "docking/docking.h"
#include "docking/selector_link.h"
#include "hardware/device.h"
#include "hardware/mixer.h"
#include "hardware/mixer_platform_native.h"
#include "hardware/slider.h"
#include "hardware/sim_state_fixture.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include <gtest/gtest.h>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace {
const char* const SIM_DEVICE =
    "hcd 0 ROOT0\n"
    "hub ROOT0 4 {hub}\\0000 USB Root Hub\n"
    "port ROOT0 2 vornex {media}\\0007 Kelvara Vornex USB\n"
    "reg 6 1\nreg 8 2\n";
const uint32_t WAVE_LINE = 0x20;

class CommandsTest : public SimStateTest {
protected:
    void SetUp() override {
        SimStateTest::SetUp();
        std::ofstream(path) << SIM_DEVICE;
        ASSERT_TRUE(LoadDeviceManager());
        ResetShellActions();
        ResetSettingsForTest();
        ResetDeckState();
        ResetDeckTickForTest();
        ResetMessages();
        ResetDeckUiForTest();
        ResetFaceForTest();
        ResetSelectorLinkForTest();
        ResetMixerForTest();
        ResetFakeMixers();
        FakeMixer m;
        m.name = "Kelvara Vornex USB";
        FakeMixerDestination d;
        d.line = MakeFakeLine(0xFFFF0000, MIXER_DST_UNDEFINED, 1);
        d.sources.push_back(MakeFakeLine(WAVE_LINE, MIXER_SRC_WAVEOUT, 10));
        m.destinations.push_back(d);
        SetFakeMixers({m});
        MixerAvail() = MixerAvailability{1, 1, 1};
    }
    void TearDown() override {
        EXPECT_EQ(0, OpenFakeMixerHandles());
        SimStateTest::TearDown();
    }
    FakeMixerControl& WaveOut(int control) { return FakeMixers()[0].destinations[0].sources[0].controls[control]; }
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
    std::string SimText() {
        std::ifstream f(path);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
};

// One row per command: what shows that it ran.
TEST_F(CommandsTest, EveryCommandIdReachesItsOperation) {
    Deck().encoderPresent = 1;
    Settings().recordInput = INPUT_IN1;
    struct Row {
        int id;
        std::function<int()> effect;  // counts or values that change when the command ran
    } rows[] = {
        {CMD_CLOSE,           [] { return ShellActionCount(CMD_CLOSE); }                                             },
        {CMD_LAUNCH_SELECTOR, [] { return ShellActionCount(CMD_LAUNCH_SELECTOR); }                                   },
        {CMD_ACCEL_ALT_C,     [] { return ShellActionCount(CMD_LAUNCH_SELECTOR); }                                   },
        {CMD_ICONIZE,         [] { return ShellActionCount(CMD_ICONIZE); }                                           },
        {CMD_ACCEL_ALT_I,     [] { return ShellActionCount(CMD_ICONIZE); }                                           },
        {CMD_FACE_MODE,       [] { return ShellActionCount(CMD_FACE_MODE); }                                         },
        {CMD_ACCEL_ALT_X,     [] { return ShellActionCount(CMD_FACE_MODE); }                                         },
        {CMD_DELETE_ENTRIES,  [] { return ShellActionCount(CMD_DELETE_ENTRIES); }                                    },
        {CMD_OPEN_PLAYLIST,   [] { return PlaylistWindowOpens(); }                                                   },
        {CMD_FILE_PROPERTY,   [] { return PropertySheetRuns(); }                                                     },
        {CMD_INPUT_IN2,       [] { return (int)(Settings().recordInput == INPUT_IN2) + SelectorInputNotices() * 10; }},
        {CMD_INPUT_IN1,       [] { return (int)(Settings().recordInput == INPUT_IN1) + SelectorInputNotices() * 10; }},
        {CMD_FORMAT_MP3,      [] { return (int)Settings().recordFormat; }                                            },
        {CMD_FORMAT_MP2,      [] { return (int)Settings().recordFormat; }                                            },
        {CMD_FORMAT_MP1,      [] { return (int)Settings().recordFormat; }                                            },
        {CMD_FORMAT_PCM,      [] { return (int)Settings().recordFormat + 100; }                                      },
        {CMD_REPEAT,          [] { return (int)Settings().repeat; }                                                  },
        {CMD_MUTE,            [] { return (int)Face().muteState; }                                                   },
    };
    for (const Row& row : rows) {
        int before = row.effect();
        EXPECT_EQ(1, DispatchCommand(row.id, 0)) << row.id;
        EXPECT_NE(before, row.effect()) << "command " << row.id << " did not reach its operation";
    }
    // Ctrl+V is named by no button, and unknown ids are ignored.
    for (int id : {0, CMD_ACCEL_CTRL_V, 2000, 2024, 40001}) EXPECT_EQ(0, DispatchCommand(id, 0)) << id;
    // Rewind and fast forward do nothing on a click.
    EXPECT_EQ(1, DispatchCommand(CMD_REWIND, 0));
    EXPECT_EQ(1, DispatchCommand(CMD_FAST_FORWARD, 0));
    EXPECT_EQ(NoTrack, Deck().deckState);
}

TEST_F(CommandsTest, MuteInvertsTheWaveOutLineAndShowsWhatTheMixerHolds) {
    EXPECT_EQ(1u, ToggleMute());
    EXPECT_EQ((std::vector<int32_t>{1}), WaveOut(1).values);
    EXPECT_EQ(1u, Face().muteState);
    EXPECT_EQ(0u, ToggleMute());
    EXPECT_EQ(0u, Face().muteState);

    // A mixer that cannot be read shows mute off; without a mute control nothing happens.
    ToggleMute();
    WaveOut(1).record.flags = MIXER_CONTROLF_DISABLED;
    EXPECT_EQ(0u, ToggleMute());
    EXPECT_EQ(0u, Face().muteState);
    ShowMute(1);
    MixerAvail().muteAvail = 0;
    EXPECT_EQ(1u, ToggleMute());
    EXPECT_EQ(1u, Face().muteState);
}

TEST_F(CommandsTest, TheVolumeSliderSetsTheWaveOutLineAndShowsTheVolumeReadBack) {
    SetVolumeFromSlider(255, 128);
    EXPECT_EQ((std::vector<int32_t>{65535, 32896}), WaveOut(0).values);
    EXPECT_EQ(255u, Face().volumeBar);
    EXPECT_EQ(255, SliderValue(IDC_SLIDER_VOLUME));
    SetVolumeFromSlider(0, 0);
    EXPECT_EQ(0u, Face().volumeBar);
    EXPECT_EQ(0, SliderValue(IDC_SLIDER_VOLUME)) << "the slider follows the bar";

    // The mixer holds its own value: the slider shows it, not the one dragged to.
    WaveOut(0).record.maximum = 32768;
    SetVolumeFromSlider(200, 200);
    EXPECT_EQ(127u, Face().volumeBar);

    // Unreadable: full volume shown. Without a volume control the slider changes nothing.
    SetFakeMixers({});
    SetVolumeFromSlider(10, 10);
    EXPECT_EQ(255u, Face().volumeBar);
    SetVolumeBar(40, 40);
    MixerAvail().volumeAvail = 0;
    SetVolumeFromSlider(90, 90);
    EXPECT_EQ(40u, Face().volumeBar);
}

TEST_F(CommandsTest, PowerModeIsWrittenAndTheDeviceReadAgain) {
    struct Case {
        int mode;
        const char* wrote;
    } cases[] = {
        {0, "wrote reg 8 1"},
        {1, "wrote reg 8 2"},
        {2, "wrote reg 8 3"}
    };
    for (const Case& c : cases) {
        Deck().deviceReadRequest = 0;
        int notices = SelectorInputNotices();
        EXPECT_EQ(1, SetPowerMode(c.mode));
        EXPECT_NE(std::string::npos, SimText().rfind(c.wrote)) << c.mode;
        EXPECT_EQ(1, Deck().deviceReadRequest) << "the next tick reads the device in full";
        EXPECT_EQ(notices + 1, SelectorInputNotices());
    }
    // Without the device: the Close button shows power off and the selector still hears of it.
    std::ofstream(path) << "hcd 0 ROOT0\nhub ROOT0 4 {hub}\\0000 USB Root Hub\n";
    ResetDeviceForTest();
    ShowCloseLit(2);
    int notices = SelectorInputNotices();
    EXPECT_EQ(0, SetPowerMode(1));
    EXPECT_EQ(0u, Face().closeLit);
    EXPECT_EQ(notices + 1, SelectorInputNotices());
}

// Every shown state against every power mode: one item checked, the one the device reports;
// "Power off" grayed while the transport runs or records, the other two never.
TEST_F(CommandsTest, PowerItemsFollowTheDeviceAndPowerOffWaitsForAnIdleDeck) {
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
TEST_F(CommandsTest, ItemsSetTheirSettingsAndShowThem) {
    const struct {
        int id;
        uint32_t* value;
        uint32_t once, twice;
    } rows[] = {
        {MENU_DOUBLE_SIZE,   &Layout().mag,         2,                  1                 },
        {MENU_ALWAYS_ON_TOP, &Layout().top,         1,                  0                 },
        {MENU_MAX_VOLUME,    &Layout().maxVolume,   1,                  0                 },
        {MENU_SPACE_DAT,     &Settings().playSpace, 2,                  2                 },
        {MENU_SPACE_NONE,    &Settings().playSpace, 0,                  0                 },
        {MENU_SPACE_MD,      &Settings().playSpace, 1,                  1                 },
        {MENU_TIME_LEFT,     &Settings().timerMode, TIMER_MODE_LEFT,    TIMER_MODE_LEFT   },
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
TEST_F(CommandsTest, BitrateChecksFollowTheStoredRate) {
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

TEST_F(CommandsTest, WebInformationAsksFirst) {
    RunMenuItem(MENU_WEB_INFORMATION);
    ASSERT_EQ(1, RecordedMessageCount());
    EXPECT_EQ(STR_GO_TO_WEB_PAGE, RecordedMessageAt(0)->stringId);
    EXPECT_EQ((unsigned)(MSGBOX_YESNO | MSGBOX_ICONINFORMATION), RecordedMessageAt(0)->style);
}
}  // namespace

// Files and the transport through the real playback control (the native media window stands in
// for MCI). The transport ids: play, pause, stop, and the search buttons' press and release.
// Files dropped on the face: the first file that opens replaces the list and plays, the files
// before it are appended to the list it replaces, and every later one is appended to the new list.
#include "app/file_intake.h"
#include "app_test_util.h"
#include "base/message_box.h"
#include "hardware/wave_devices.h"
#include "playback/mci_windows.h"
#include "playback/mci_windows_native.h"
#include "playback/playback_control.h"
#include "playlist/playlist_model.h"
#include "playlist/playlist_platform.h"
#include <filesystem>

namespace {
class DeckFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/qd_files_XXXXXX";
        ASSERT_TRUE(mkdtemp(tmpl));
        dir = tmpl;
        const char* const out[] = {"Kelvara Vornex USB"};
        SetFakeWaveDevices(1, out, 1);
        ResetMciWindowsForTest();
        ResetPlaybackForTest();
        ResetPlaylistForTest();
        ResetDeckState();
        ASSERT_EQ(CreatePlaybackWindows(nullptr, nullptr), 1);
    }
    void TearDown() override {
        CloseTrack();
        DestroyPlaybackWindows();
        std::filesystem::remove_all(dir);
    }
    std::string Wave(const char* name, uint32_t seconds = 1) { return WriteSilentWave(dir + "/" + name, seconds); }
    std::string Junk(const char* name) {
        std::string path = dir + "/" + name;
        std::ofstream(path) << "not a sound";
        return path;
    }
    std::string EntryName(int n) {
        char path[1024] = "";
        GetEntryPath(n, path);
        std::string p = path;
        return p.substr(p.find_last_of('/') + 1);
    }
    std::string dir;
};

TEST_F(DeckFiles, TransportIdsAndSearchButtonsReachTheDeck) {
    // Two seconds: long enough that a search does not run off the end.
    const std::string wav = Wave("tone.wav", 2);
    ASSERT_EQ(OpenAsNewList(wav.c_str()), 1);
    ASSERT_EQ(Deck().deckState, Stopped);

    DispatchCommand(CMD_PLAY, 0);
    EXPECT_EQ(Deck().deckState, Playing);
    EXPECT_EQ(GetTrackStatus(), TRACK_PLAYING);
    DispatchCommand(CMD_PAUSE, 0);
    EXPECT_EQ(Deck().deckState, Paused);
    DispatchCommand(CMD_PAUSE, 0);
    EXPECT_EQ(Deck().deckState, Playing);
    EXPECT_EQ(1, DispatchSearchButton(CMD_FAST_FORWARD, 1));
    EXPECT_EQ(Deck().deckState, Searching);
    EXPECT_EQ(GetTrackStatus(), TRACK_STOPPED);
    EXPECT_EQ(1, DispatchSearchButton(CMD_FAST_FORWARD, 0));
    EXPECT_EQ(Deck().deckState, Playing);
    EXPECT_EQ(GetTrackStatus(), TRACK_PLAYING);
    DispatchCommand(CMD_STOP, 0);
    EXPECT_EQ(Deck().deckState, Stopped);
    EXPECT_EQ(GetTrackStatus(), TRACK_STOPPED);
    EXPECT_EQ(0, DispatchSearchButton(CMD_PLAY, 1));  // only the two search buttons are held

    // Select file: a new list from the dialog, the playlist window enabled again afterwards.
    const std::string other = Wave("other.wav", 2);
    std::string chosen = other + std::string(2, '\0');
    QueueSelectFileResult(chosen.data(), (uint32_t)chosen.size());
    QueueSaveDialogResult(nullptr);  // the old list is not kept
    DispatchCommand(CMD_SELECT_FILE, 0);
    ASSERT_EQ(1, GetEntryCount());
    char entry[PLAYLIST_PATH_BYTES] = "";
    GetEntryPath(1, entry);
    EXPECT_EQ(other, entry);
    EXPECT_EQ(0, PlaylistWindowDisabled());
    int messages = RecordedMessageCount();
    DispatchCommand(CMD_RECORD, 0);
    EXPECT_TRUE(Deck().deckState == RecStandby || RecordedMessageCount() > messages) << "the record key was heard";
    StopKey();
}

TEST_F(DeckFiles, FirstPlayableFileReplacesTheListAndPlaysTheRestAreAppended) {
    std::string junk = Junk("junk.wav"), a = Wave("a.wav"), b = Wave("b.wav");
    const char* const paths[] = {junk.c_str(), a.c_str(), b.c_str()};
    EXPECT_EQ(OpenDroppedFiles(paths, 3), 3);
    ASSERT_EQ(GetEntryCount(), 2) << "the junk went with the replaced list";
    EXPECT_EQ(EntryName(1), "a.wav");
    EXPECT_EQ(EntryName(2), "b.wav");
    EXPECT_EQ(Deck().deckState, Playing);
    EXPECT_EQ(Deck().currentTrack, 1);
}

TEST_F(DeckFiles, WhenNothingOpensTheDeckStaysAsItWas) {
    std::string x = Junk("x.txt"), y = Junk("y.txt");
    const char* const paths[] = {x.c_str(), y.c_str()};
    OpenDroppedFiles(paths, 2);
    EXPECT_NE(Deck().deckState, Playing);
}

// A list file whose first entry does not play still replaces the list, once: it must not come
// back through the fallback that appends files the deck could not open.
TEST_F(DeckFiles, AListWhoseFirstEntryFailsIsTakenOnce) {
    std::string list = dir + "/party.spl", text = ";PARTY.SPL\r\n\"" + Junk("junk.wav") + "\"\r\n";
    for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"}) text += "\"" + Wave(name) + "\"\r\n";
    std::ofstream(list, std::ios::binary) << text;
    const char* const paths[] = {list.c_str()};
    struct Way {
        const char* name;
        void (*take)(const char* const* paths);
    } ways[] = {
        {"handed over",  [](const char* const* p) { TakeHandedFile(p[0], 1); }},
        {"command line", [](const char* const* p) { OpenStartFiles(p, 1); }   },
        {"dropped",      [](const char* const* p) { OpenDroppedFiles(p, 1); } },
    };
    for (const Way& w : ways) {
        ResetPlaylistForTest();
        ResetDeckState();
        w.take(paths);
        EXPECT_EQ(GetEntryCount(), 5) << w.name;
        EXPECT_EQ(EntryName(1), "junk.wav") << w.name;
        EXPECT_EQ(EntryName(5), "d.wav") << w.name;
    }
}

// A drop or a hand-off while the recorder holds the deck must neither start nor resume the
// recording, nor replace the list under it: the files wait at the end of the list.
TEST_F(DeckFiles, FilesGivenToARecordingDeckAreQueuedAndNeverReachTheRecorder) {
    std::string a = Wave("a.wav"), b = Wave("b.wav"), c = Wave("c.wav");
    AddPath(a.c_str());
    for (int state : {RecStandby, RecPause}) {
        SCOPED_TRACE(state);
        Deck().deckState = state;
        Deck().deckSide = DECK_SIDE_RECORDER;
        const char* const paths[] = {b.c_str()};
        OpenDroppedFiles(paths, 1);
        TakeHandedFile(c.c_str(), 1);
        EXPECT_EQ(Deck().deckState, state);
        EXPECT_EQ(Deck().deckSide, DECK_SIDE_RECORDER);
    }
    ASSERT_EQ(GetEntryCount(), 5);
    EXPECT_EQ(EntryName(1), "a.wav");
    EXPECT_EQ(EntryName(2), "b.wav");
    EXPECT_EQ(EntryName(5), "c.wav");
}
}  // namespace
