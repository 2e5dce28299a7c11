// Files dropped on the face: the first file that opens replaces the list and plays, the files
// before it are appended to the list it replaces, and every later one is appended to the new list.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>

#include "app/file_intake.h"
#include "app_test_util.h"
#include "deck/deck.h"
#include "hardware/wave_devices.h"
#include "playback/mci_windows.h"
#include "playback/mci_windows_native.h"
#include "playback/playback_control.h"
#include "playlist/playlist_model.h"

namespace {
class FileDrop : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/qd_drop_XXXXXX";
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
    std::string Wave(const char* name) { return WriteSilentWave(dir + "/" + name, 1); }
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
}  // namespace

TEST_F(FileDrop, FirstPlayableFileReplacesTheListAndPlaysTheRestAreAppended) {
    std::string junk = Junk("junk.wav"), a = Wave("a.wav"), b = Wave("b.wav");
    const char* const paths[] = {junk.c_str(), a.c_str(), b.c_str()};
    EXPECT_EQ(OpenDroppedFiles(paths, 3), 3);
    ASSERT_EQ(GetEntryCount(), 2) << "the junk went with the replaced list";
    EXPECT_EQ(EntryName(1), "a.wav");
    EXPECT_EQ(EntryName(2), "b.wav");
    EXPECT_EQ(Deck().deckState, Playing);
    EXPECT_EQ(Deck().currentTrack, 1);
}

TEST_F(FileDrop, WhenNothingOpensTheDeckStaysAsItWas) {
    std::string x = Junk("x.txt"), y = Junk("y.txt");
    const char* const paths[] = {x.c_str(), y.c_str()};
    OpenDroppedFiles(paths, 2);
    EXPECT_NE(Deck().deckState, Playing);
}

// A list file whose first entry does not play still replaces the list, once: it must not come
// back through the fallback that appends files the deck could not open.
TEST_F(FileDrop, AListWhoseFirstEntryFailsIsTakenOnce) {
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
TEST_F(FileDrop, FilesGivenToARecordingDeckAreQueuedAndNeverReachTheRecorder) {
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
