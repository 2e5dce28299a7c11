// Command dispatch: which commands reach the shell's own actions, and which ids do nothing.
#include "app/commands.h"
#include "deck/deck.h"
#include "resources/resource.h"
#include <gtest/gtest.h>

namespace {
TEST(Commands, ShellButtonsReachTheirActionsAndUnboundIdsDoNothing) {
    ResetShellActions();
    ResetDeckState();
    for (int id : {CMD_CLOSE, CMD_ICONIZE, CMD_FACE_MODE, CMD_LAUNCH_SELECTOR, CMD_MUTE, CMD_DELETE_ENTRIES}) {
        EXPECT_EQ(1, DispatchCommand(id, 0)) << id;
        EXPECT_EQ(1, ShellActionCount(id)) << id;
    }
    // The accelerators' own ids and anything else unknown are ignored.
    for (int id : {0, CMD_ACCEL_CTRL_V, CMD_ACCEL_ALT_C, CMD_ACCEL_ALT_I, CMD_ACCEL_ALT_X, 2000, 2024, 40001})
        EXPECT_EQ(0, DispatchCommand(id, 0)) << id;
    // Rewind and fast forward do nothing on a click.
    EXPECT_EQ(1, DispatchCommand(CMD_REWIND, 0));
    EXPECT_EQ(NoTrack, Deck().deckState);
}
}  // namespace

// The transport ids drive the deck through the real playback control (the native media window
// stands in for MCI): play, pause, stop, and the search buttons' press and release.
#include "hardware/wave_devices.h"
#include "playback/mci_windows.h"
#include "playback/mci_windows_native.h"
#include "playback/playback_control.h"
#include "playlist/playlist_model.h"
#include <fstream>
#include <unistd.h>

namespace {
TEST(Commands, TransportIdsAndSearchButtonsReachTheDeck) {
    char dir[] = "/tmp/qd_commands_XXXXXX";
    ASSERT_TRUE(mkdtemp(dir));
    const std::string wav = std::string(dir) + "/tone.wav";
    // Two seconds of 44100 Hz stereo silence: long enough that a search does not run off its end.
    const unsigned char header[44] = {'R', 'I', 'F',  'F',  0x44, 0x62, 0x05, 0,    'W',  'A',  'V',
                                      'E', 'f', 'm',  't',  ' ',  16,   0,    0,    0,    1,    0,
                                      2,   0,   0x44, 0xAC, 0,    0,    0x10, 0xB1, 2,    0,    4,
                                      0,   16,  0,    'd',  'a',  't',  'a',  0x20, 0x62, 0x05, 0};
    {
        std::ofstream f(wav, std::ios::binary);
        f.write((const char*)header, sizeof header);
        f << std::string(0x56220, '\0');
    }
    const char* const out[] = {"Kelvara Vornex USB"};
    SetFakeWaveDevices(1, out, 1);
    ResetMciWindowsForTest();
    ResetPlaybackForTest();
    ResetPlaylistForTest();
    ResetDeckState();
    ASSERT_EQ(CreatePlaybackWindows(nullptr, nullptr), 1);
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

    CloseTrack();
    DestroyPlaybackWindows();
    std::remove(wav.c_str());
    rmdir(dir);
}
}  // namespace
