// The deck's transport as a user meets it: keys, repeat modes, searches, recordings and the
// giving up when no track can be cued. Each test drives the deck and checks what the face shows,
// which track is cued and what the player and recorder were told.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "base/message_box.h"
#include "deck/deck_ui_native.h"
#include "deck/record_naming.h"
#include "deck/track_gap.h"
#include "deck_fakes.h"
#include "docking/selector_link.h"
#include "playlist/playlist_model.h"
#include "resources/resource.h"
#include "record/capture.h"

namespace {
class DeckTest : public DeckFixture {
protected:
    std::string OpenPath() { return World().openPath; }
    int Called(const std::string& call) {
        const auto& calls = World().recorderCalls;
        return (int)std::count(calls.begin(), calls.end(), call);
    }
};

// --- play, pause, stop ----------------------------------------------------------------------

TEST_F(DeckTest, PlayPauseStopOnThePlayerSide) {
    MakePlaylist(3, 60000);
    Cue(2);
    EXPECT_EQ(State(), Stopped);
    EXPECT_EQ(Status(), "#2  Song 2  001:00");

    StartPlay();
    EXPECT_EQ(State(), Playing);
    EXPECT_EQ(Face().peakMode, PEAKS_FALL);
    EXPECT_EQ(Face().tickerMode, (uint32_t)TICKER_SCROLL);
    EXPECT_EQ(GetSelectorTransportMode(), SELECTOR_MODE_PLAYING);
    Ticks(20);
    EXPECT_EQ(Deck().position, 2000u);

    PauseKey();
    EXPECT_EQ(State(), Paused);
    EXPECT_EQ(Face().tickerMode, (uint32_t)TICKER_PAUSE);
    Ticks(10);
    EXPECT_EQ(Deck().position, 2000u);  // paused: time stands still

    PauseKey();
    EXPECT_EQ(State(), Playing);
    Ticks(10);
    EXPECT_EQ(Deck().position, 3000u);

    StopKey();
    EXPECT_EQ(State(), Stopped);
    EXPECT_EQ(PlayerPosition(), 0u);
    EXPECT_EQ(Face().tickerMode, (uint32_t)TICKER_FIXED);
    ASSERT_FALSE(World().statusWrites.empty());
    EXPECT_EQ(World().statusWrites.back(), (std::vector<uint8_t>{0, 150, 0, 0}));
    EXPECT_EQ(std::vector<int32_t>(Face().levels, Face().levels + 4), std::vector<int32_t>(4, -100));
    EXPECT_EQ(Face().peakMode, PEAKS_HOLD);
}

// Play in NoTrack asks for files only when the list is empty; with a list it leaves the cueing to
// the tick.
TEST_F(DeckTest, PlayInNoTrackAsksForFilesOnlyWithAnEmptyList) {
    StartPlay();
    EXPECT_EQ(World().selectFilesRuns, 1);
    EXPECT_EQ(State(), NoTrack);  // nothing chosen, nothing else happens

    MakePlaylist(2, 60000);
    StartPlay();
    EXPECT_EQ(World().selectFilesRuns, 1);
    EXPECT_EQ(State(), NoTrack);
    EXPECT_EQ(World().playCalls, 0);

    World().selectFilesAdds = World().playlist;
    World().playlist.clear();
    StartPlay();
    EXPECT_EQ(World().selectFilesRuns, 2);
    EXPECT_EQ(State(), Playing);
    EXPECT_EQ(Track(), 1);
}

// --- refusals -------------------------------------------------------------------------------

struct Refusal {
    const char* name;
    int state;
    std::function<int()> key;
};

TEST_F(DeckTest, KeysRefusedInTheirStatesChangeNothing) {
    const Refusal refusals[] = {
        {"Pause/Stopped",        Stopped,    [] { return PauseKey(); }                    },
        {"Pause/NoTrack",        NoTrack,    [] { return PauseKey(); }                    },
        {"Stop/Stopped",         Stopped,    [] { return StopKey(); }                     },
        {"Stop/Editing",         Editing,    [] { return StopKey(); }                     },
        {"FF/NoTrack",           NoTrack,    [] { return FastForwardDown(); }             },
        {"REW/Editing",          Editing,    [] { return RewindDown(); }                  },
        {"Next/NoTrack",         NoTrack,    [] { return NextTrack(); }                   },
        {"Next/Searching",       Searching,  [] { return NextTrack(); }                   },
        {"Prev/Editing",         Editing,    [] { return PrevTrack(); }                   },
        {"Record/Playing",       Playing,    [] { return EnterRecStandby(); }             },
        {"Record/Paused",        Paused,     [] { return EnterRecStandby(); }             },
        {"PlayNumber/Recording", Recording,  [] { return PlayTrackNumber(2); }            },
        {"PlayNumber/RecPause",  RecPause,   [] { return PlayTrackNumber(2); }            },
        {"OpenList/Recording",   Recording,  [] { return OpenAsNewList("C:\\m\\t3.wav"); }},
        {"OpenList/RecStandby",  RecStandby, [] { return OpenAsNewList("C:\\m\\t3.wav"); }},
        {"Edit/RecPause",        RecPause,   [] { return EditCurrentFile(); }             },
        {"Input/RecPause",       RecPause,   [] { return SelectInput(INPUT_IN2); }        },
        {"Format/Recording",     Recording,  [] { return SelectFormat(0); }               },
        {"Format/NoEncoder",     Stopped,    [] { return SelectFormat(3); }               },
        {"Playlist/RecPause",    RecPause,   [] { return ShowPlaylist(); }                },
        {"FFUp/Recording",       Recording,  [] { return FastForwardUp(); }               },
    };
    for (const Refusal& r : refusals) {
        SetUp();
        MakePlaylist(3, 60000);
        Cue(1);
        World().recorderCalls.clear();
        Deck().deckState = r.state;
        r.key();
        EXPECT_EQ(State(), r.state) << r.name;
        EXPECT_EQ(Track(), 1) << r.name;
        EXPECT_EQ(OpenPath(), "C:\\m\\t1.wav") << r.name;
        EXPECT_EQ(World().playCalls, 0) << r.name;  // Next and Previous stop the player before looking
        EXPECT_TRUE(World().recorderCalls.empty()) << r.name;
        EXPECT_EQ(Settings().recordFormat, 0u) << r.name;
        EXPECT_EQ(Settings().recordInput, 1u) << r.name;
        EXPECT_EQ(PlaylistWindowOpens(), 0) << r.name;
        EXPECT_EQ(PropertySheetRuns(), 0) << r.name;
    }
}

TEST_F(DeckTest, PositionDragNeedsACuedTrackAndResumesPlay) {
    EXPECT_EQ(PositionDragBegin(), 0);  // nothing cued

    MakePlaylist(1, 100000);
    PlayFrom(1, 0);
    EXPECT_EQ(PositionDragBegin(), 1);
    EXPECT_EQ(State(), Paused);
    PositionDragMove(250);
    EXPECT_EQ(Face().positionBar, 250u);
    EXPECT_EQ(Deck().position, 25000u);
    EXPECT_EQ(PlayerPosition(), 25000u);
    PositionDragEnd();
    EXPECT_EQ(State(), Playing);
    EXPECT_EQ(Deck().sliderDrag, 0);
    EXPECT_EQ(Deck().savedState, Stopped);
}

// --- searches -------------------------------------------------------------------------------

TEST_F(DeckTest, FastForwardWhileStoppedStaysStopped) {
    MakePlaylist(2, 60000);
    Cue(1);
    FastForwardDown();
    EXPECT_EQ(State(), Stopped);
    Ticks(10);
    EXPECT_EQ(State(), Stopped);
    EXPECT_EQ(PlayerPosition(), 11000u);
    EXPECT_EQ(World().playCalls, 0);
    FastForwardUp();
    EXPECT_EQ(State(), Stopped);
    EXPECT_EQ(Deck().searchDir, SEARCH_NONE);

    // A press refused in NoTrack leaves its release nothing to restore.
    CloseTrack();
    Deck().deckState = NoTrack;
    FastForwardDown();
    FastForwardUp();
    EXPECT_EQ(State(), NoTrack);
}

// In the gap between two tracks Play does nothing (the gap runs to its end), and FF first
// starts the next track, then searches in it.
TEST_F(DeckTest, KeysInTheTrackGap) {
    MakePlaylist(2, 5000);
    Settings().playSpace = PLAY_SPACE_DAT;
    PlayFrom(1, 4900);
    Tick();
    ASSERT_EQ(State(), TrackSpace);
    EXPECT_EQ(Track(), 2);
    EXPECT_EQ(World().silencePath, "Sil44.$$$");
    int plays = World().playCalls;
    StartPlay();
    EXPECT_EQ(State(), TrackSpace);
    EXPECT_EQ(World().playCalls, plays);

    FastForwardDown();
    EXPECT_EQ(State(), Searching);
    EXPECT_EQ(Deck().savedState, Playing);
    EXPECT_EQ(Track(), 2);
}

// --- recording ------------------------------------------------------------------------------

TEST_F(DeckTest, RecordingIsKeptAndCued) {
    MakePlaylist(2, 60000);
    Cue(1);
    ASSERT_EQ(EnterRecStandby(), 1);
    EXPECT_EQ(State(), RecStandby);
    EXPECT_EQ(Deck().deckSide, DECK_SIDE_RECORDER);
    EXPECT_EQ(OpenPath(), "");  // the player let go of its track
    EXPECT_EQ(Status(), "Rec Pause S-001.WAV");
    EXPECT_EQ(World().recordTarget, "C:\\rec\\S-001.WAV");
    EXPECT_EQ(Deck().trackLength, 300000u);

    StartPlay();
    EXPECT_EQ(State(), Recording);
    EXPECT_EQ(Status(), "Recording S-001.WAV");
    PauseKey();
    EXPECT_EQ(State(), RecPause);
    EXPECT_EQ(Status(), "Rec Pause S-001.WAV");
    StartPlay();
    EXPECT_EQ(State(), Recording);

    AddFakeFile("C:\\rec\\S-001.WAV", 5000);
    World().recordedMs = 5000;
    StopKey();
    EXPECT_EQ(Called("StopCapture(1)"), 1);
    EXPECT_EQ(Called("CloseRecordFile(1)"), 1);
    EXPECT_EQ(Called("StoreInputStatus C:\\rec\\S-001.WAV"), 1);
    EXPECT_EQ(State(), Stopped);
    EXPECT_EQ(Deck().deckSide, DECK_SIDE_PLAYER);
    EXPECT_EQ(Track(), 3);
    EXPECT_EQ(OpenPath(), "C:\\rec\\S-001.WAV");
    EXPECT_TRUE(World().deleted.empty());
}

TEST_F(DeckTest, PlayingANumberFromStandbyDropsThePreparedFile) {
    MakePlaylist(3, 60000);
    ASSERT_EQ(EnterRecStandby(), 1);
    PlayTrackNumber(2);
    EXPECT_EQ(Called("StopCapture(1)"), 1);
    EXPECT_TRUE(World().recordTarget.empty());
    EXPECT_EQ(Deck().deckSide, DECK_SIDE_PLAYER);
    EXPECT_EQ(Track(), 2);
    EXPECT_EQ(State(), Playing);
}

TEST_F(DeckTest, InputOrFormatChangeInStandbyPreparesANewFile) {
    Deck().encoderPresent = 1;
    ASSERT_EQ(EnterRecStandby(), 1);
    World().recorderCalls.clear();
    ASSERT_EQ(SelectInput(INPUT_IN2), 1);
    EXPECT_EQ(Settings().recordInput, 0u);
    EXPECT_EQ(World().reg6, 2u);
    EXPECT_EQ(Called("StopCapture(1)"), 1);
    EXPECT_EQ(Called("PrepareCapture(1)"), 1);
    EXPECT_EQ(State(), RecStandby);

    World().recorderCalls.clear();
    World().existingNumbers.insert("C:\\rec\\S-001");
    ASSERT_EQ(SelectFormat(3), 1);
    EXPECT_EQ(Called("SetRecordFormat(3,44100,128)"), 1);
    EXPECT_EQ(World().recordTarget, "C:\\rec\\S-002.MP3");
    EXPECT_EQ(Status(), "Rec Pause S-002.MP3");
    EXPECT_EQ(Face().recordFormat, 3u);
    EXPECT_EQ(Face().formatIsRecord, 1u);

    World().recorderCalls.clear();
    SelectFormat(3);  // the same format: the prepared file stays
    EXPECT_TRUE(World().recorderCalls.empty());
}

TEST_F(DeckTest, SplitLeavesStandbyWaitingForSound) {
    Settings().recAutoRecording = 1;
    ASSERT_EQ(EnterRecStandby(), 1);
    StartPlay();  // armed: the recorder now waits for sound
    EXPECT_EQ(State(), RecStandby);
    EXPECT_EQ(Status(), "Rec Standby S-001.WAV");
    EXPECT_EQ(GetCaptureMode(), CAPTURE_WAITING);
    World().captureMode = CAPTURE_WRITING;  // sound arrived and the recorder started itself
    Deck().deckState = Recording;

    AddFakeFile("C:\\rec\\S-001.WAV", 8000);
    World().recordedMs = 8000;
    World().existingNumbers.insert("C:\\rec\\S-001");
    World().recorderCalls.clear();
    SplitRecordFile();
    EXPECT_EQ(Called("StopCapture(0)"), 1);  // capture keeps running for the next file
    EXPECT_EQ(Called("PrepareCapture(0)"), 1);
    EXPECT_EQ(GetEntryCount(), 1);  // the first part went to the list
    EXPECT_EQ(State(), RecStandby);
    EXPECT_EQ(Status(), "Rec Standby S-002.WAV");
    EXPECT_EQ(GetCaptureMode(), CAPTURE_WAITING);
}

TEST_F(DeckTest, ANewBaseStartsItsOwnNumbersAndAMissingFolderFallsBackToTheProgramsFolder) {
    std::strcpy(Settings().recFileName, "D:\\gone\\S-");  // folder no longer there
    ASSERT_EQ(EnterRecStandby(), 1);
    EXPECT_EQ(World().recordTarget, "C:\\prog\\S-001.WAV");  // next to the program, with the same prefix
    StopKey();

    SetBaseFromChosenName("C:\\rec\\Concert017.mp2");
    EXPECT_STREQ(Settings().recFileName, "C:\\rec\\Concert");
    EXPECT_EQ(GetRecordNumber(), 17u);
    SetBaseFromChosenName("C:\\rec\\Concert.wav");  // same prefix: the number runs on
    EXPECT_EQ(GetRecordNumber(), 17u);
    SetBaseFromChosenName("C:\\rec\\Other.xyz");
    EXPECT_EQ(GetRecordNumber(), 1u);
}

// The chosen name's extension picks the record format, in any letter case; another keeps it.
TEST_F(DeckTest, TheChosenExtensionPicksTheFormat) {
    const struct {
        const char* ext;
        uint32_t format;
    } cases[] = {
        {".mp3", 3}, {".wav", 0}, {".MPG", 1}, {".mp2", 2}, {".xyz", 2}, {".Mp3", 3}, {".mpa", 1},
    };
    for (const auto& c : cases) {
        SetBaseFromChosenName((std::string("C:\\rec\\Take") + c.ext).c_str());
        EXPECT_EQ(Settings().recordFormat, c.format) << c.ext;
    }
}

TEST_F(DeckTest, RecordRefusalsLeaveThePlayerWithItsTrack) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        int messageId;  // -1: none; 0: a text of the deck's own
    } cases[] = {
        {"every number taken",
         [] {
             for (int n = 0; n < 1000; ++n) {
                 char name[32];
                 std::snprintf(name, sizeof name, "C:\\rec\\S-%03d", n);
                 World().existingNumbers.insert(name);
             }
         },                                                             0 },
        {"path one character too long",  // the base, "001" and ".WAV" come to 260
         [] {
             std::string deep = "C:\\rec\\" + std::string(246, 'n');
             std::strcpy(Settings().recFileName, deep.c_str());
         },                                                             STR_PATH_TOO_LONG},
        {"format refused",           [] { World().formatRefused = 1; }, -1},
        {"capture will not start",   [] { World().prepareFails = 1; },  -1},
        {"no wave input device",     [] { World().waveInputPresent = 0; }, STR_NEED_DEVICE},
        {"the day's first Record",   [] { Settings().recNoticePending = 1; }, STR_MPEG_CPU_NOTICE},
    };
    for (const Case& c : cases) {
        SetUp();
        MakePlaylist(2, 60000);
        Cue(2);
        c.arrange();
        EXPECT_EQ(EnterRecStandby(), 0) << c.name;
        EXPECT_EQ(State(), Stopped) << c.name;
        EXPECT_EQ(Deck().deckSide, DECK_SIDE_PLAYER) << c.name;
        EXPECT_EQ(OpenPath(), World().files[1].path) << c.name << ": the track is cued again";
        EXPECT_EQ(World().recordTarget, "") << c.name << ": no record file prepared";
        EXPECT_TRUE(World().deleted.empty()) << c.name << ": no recording touched";
        EXPECT_EQ(RecordedMessageCount(), c.messageId < 0 ? 0 : 1) << c.name;
        if (c.messageId >= 0 && RecordedMessageCount() == 1) {
            EXPECT_EQ(RecordedMessageAt(0)->stringId, c.messageId) << c.name;
        }
    }
    EXPECT_EQ(EnterRecStandby(), 1) << "the notice is shown once a day: the next Record goes on";
    EXPECT_EQ(State(), RecStandby);
}

// --- giving up ------------------------------------------------------------------------------

TEST_F(DeckTest, SelectTrackGivesUpWhenNothingCanBeShown) {
    struct Case {
        const char* name;
        int entries;
        int playable;  // 0: every entry unplayable
        uint32_t repeat;
        int dir;
    } cases[] = {
        {"empty list",                          0, 1, 0, SELECT_SAME    },
        {"all unplayable, repeat all",          4, 0, 2, SELECT_NEXT    },
        {"all unplayable, backwards",           4, 0, 2, SELECT_PREVIOUS},
        {"single unplayable, repeat all",       1, 0, 2, SELECT_NEXT    },
        {"single unplayable, repeat all, back", 1, 0, 2, SELECT_PREVIOUS},
    };
    for (const Case& c : cases) {
        SetUp();
        MakePlaylist(c.entries, 60000);
        for (FakeFile& f : World().files) f.playable = c.playable;
        Settings().repeat = c.repeat;
        Deck().deckState = Playing;
        Deck().currentTrack = c.entries ? c.entries : 1;
        Deck().trackLength = 60000;
        EXPECT_EQ(SelectTrack(c.dir), 0) << c.name;
        EXPECT_EQ(State(), NoTrack) << c.name;
        EXPECT_EQ(Track(), 1) << c.name;
        EXPECT_EQ(Deck().trackLength, 0u) << c.name;
        EXPECT_EQ(Status(), "Quaverly Deck") << c.name;
        EXPECT_EQ(Face().tickerMode, (uint32_t)TICKER_CENTRED) << c.name;
    }
}

TEST_F(DeckTest, OpenAsNewListReplacesTheList) {
    MakePlaylist(3, 60000);
    AddFakeFile("C:\\new\\x.wav", 2000).title = "X";
    AddFakeFile("C:\\new\\broken.wav").playable = 0;

    EXPECT_EQ(OpenAsNewList("C:\\new\\broken.wav"), 0);
    EXPECT_EQ(GetEntryCount(), 3);
    // A playable file whose path the list cannot hold leaves the list as it was.
    const std::string deep = AddFakeFile("C:\\" + std::string(PLAYLIST_PATH_BYTES, 'd') + ".wav", 1000).path;
    EXPECT_EQ(OpenAsNewList(deep.c_str()), 0);
    EXPECT_EQ(GetEntryCount(), 3);
    // Cancel on the question about saving the old list keeps it and adds nothing.
    World().clearRefused = 1;
    EXPECT_EQ(OpenAsNewList("C:\\new\\x.wav"), 0);
    EXPECT_EQ(GetEntryCount(), 3);
    World().clearRefused = 0;

    ASSERT_EQ(OpenAsNewList("C:\\new\\x.wav"), 1);
    EXPECT_EQ(GetEntryCount(), 1);
    EXPECT_EQ(State(), Stopped);
    EXPECT_EQ(OpenPath(), "C:\\new\\x.wav");
    EXPECT_EQ(Status(), "#1  X  000:02");
}

TEST_F(DeckTest, EditingClosesAndRecuesTheTrack) {
    MakePlaylist(2, 60000);
    Cue(2);
    EditCurrentFile();
    EXPECT_EQ(PropertySheetRuns(), 1);
    EXPECT_EQ(PlaylistWindowDisabled(), 0);
    EXPECT_EQ(State(), Stopped);
    EXPECT_EQ(OpenPath(), "C:\\m\\t2.wav");

    World().files[1].playable = 0;  // the sheet broke the file
    EditCurrentFile();
    EXPECT_EQ(State(), NoTrack);
}

TEST_F(DeckTest, RepeatKeyCyclesThroughThreeModes) {
    const uint32_t expected[] = {1, 2, 0, 1};
    for (uint32_t mode : expected) {
        CycleRepeat();
        EXPECT_EQ(Settings().repeat, mode);
        EXPECT_EQ(Face().repeatMode, mode);
    }
}
}  // namespace
