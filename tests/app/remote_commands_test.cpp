// Remote commands on the real deck (native stand-ins below it): they do what the keys do, they
// are refused where the keys would be, with the deck's words, and none of them leaves a box on
// the deck for a scheduler's caller nobody is watching.
#include "app/remote_commands.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "app_test_util.h"
#include "deck/deck_tick.h"
#include "record/capture_fixture.h"
#include "resources/resource.h"

#include <unistd.h>

namespace {
class RemoteCommands : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        ResetRemoteCommandsForTest();
        ResetAppValues();
        ResetShellActions();
        ASSERT_NE(getcwd(oldCwd, sizeof oldCwd), nullptr);
        ASSERT_EQ(chdir(folder.c_str()), 0);  // the native record base has no drive: files go here
    }
    void TearDown() override {
        if (chdir(oldCwd) != 0) ADD_FAILURE() << "working folder not restored";
        CaptureTest::TearDown();
    }
    RemoteReply Remote(std::vector<std::string> args, int answering = 1) {
        QdctlInvocation inv;
        EXPECT_TRUE(ParseQdctlArguments(args, &inv)) << inv.error;
        std::string wire = FormatRemoteRequest(inv.request);
        RemoteReply reply = RunRemoteRequest(wire.data(), wire.size(), answering);
        EXPECT_EQ(reply.hasStatus, 1);
        return reply;
    }
    std::string Wave(const std::string& name, uint32_t seconds) {
        return WriteSilentWave(folder + "/" + name, seconds);
    }
    char oldCwd[1024] = "";
};
}  // namespace

TEST_F(RemoteCommands, RecordStartWritesAtOnceEvenOnTheDaysFirstRecording) {
    Settings().recNoticePending = 1;
    RemoteReply r = Remote({"record", "--start"});
    EXPECT_EQ(r.result, REPLY_OK) << r.message;
    EXPECT_EQ(Deck().deckState, Recording);
    EXPECT_EQ(r.status.state, Recording) << "the reply shows the new state, not the last tick's";
    EXPECT_NE(r.status.recordFile.find("S-001.WAV"), std::string::npos);
    EXPECT_EQ(RecordedMessageCount(), 0) << "no notice box waits for a click";
    Run(11 * 100);
    EXPECT_EQ(Remote({"stop"}).status.state, Stopped) << "the recording is kept and cued";
    EXPECT_EQ(GetEntryCount(), 1);
}

TEST_F(RemoteCommands, WithoutTheDeviceRecordIsRefusedInTheDecksWords) {
    SetFakeWaveDevices(0, DEVICES, 1);  // no "Kelvara Vornex USB" among the inputs
    RemoteReply r = Remote({"record", "--start"});
    EXPECT_EQ(r.messageId, STR_NEED_DEVICE);
    EXPECT_EQ(r.status.state, NoTrack);
    EXPECT_EQ(RecordedMessageCount(), 0) << "no box waits on the deck";
}

TEST_F(RemoteCommands, NothingButStatusRunsWhileABoxIsOpen) {
    RemoteReply r = Remote({"record", "--start"}, 0);
    EXPECT_EQ(r.result, REPLY_REFUSED);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(Deck().deckState, NoTrack) << "no recording starts underneath a question";
    EXPECT_EQ(GetCaptureMode(), CAPTURE_OFF);
    EXPECT_EQ(Remote({"status"}, 0).result, REPLY_OK);
}

TEST_F(RemoteCommands, QuitUsesTheDecksOwnCloseAndItsRefusal) {
    ASSERT_EQ(Remote({"record"}).status.state, RecStandby);
    App().shownState = RecStandby;  // as the tick has shown it
    RemoteReply r = Remote({"quit"});
    EXPECT_EQ(r.result, REPLY_REFUSED);
    EXPECT_EQ(r.messageId, STR_CLOSE_AFTER_RECORDING);
    EXPECT_EQ(ShellActionCount(CMD_CLOSE), 0);
    EXPECT_EQ(RecordedMessageCount(), 0) << "the refusal goes to the caller, not into a box";

    Remote({"stop"});
    App().shownState = CurrentShownState();
    EXPECT_EQ(Remote({"quit"}).result, REPLY_OK);
    EXPECT_EQ(ShellActionCount(CMD_CLOSE), 1) << "the Close key's own request";
}

TEST_F(RemoteCommands, ListCommandsPlayAndSeekLikeTheKeys) {
    std::string a = Wave("a.wav", 8), b = Wave("b.wav", 8);
    RemoteReply r = Remote({"open", a, b});
    ASSERT_EQ(r.result, REPLY_OK) << r.message;
    EXPECT_EQ(r.status.state, Stopped) << "open cues the list and leaves playing to the script";
    EXPECT_EQ(r.status.count, 2);
    EXPECT_EQ(r.status.file, a);
    EXPECT_EQ(r.status.format, 0);
    EXPECT_EQ(r.status.rate, 44100u);

    EXPECT_EQ(Remote({"play", "2"}).status.state, Playing);
    EXPECT_EQ(Deck().currentTrack, 2);
    r = Remote({"ff", "5"});
    EXPECT_NEAR((double)r.status.positionMs, 5000, 10);
    EXPECT_EQ(r.status.state, Playing) << "the slider's drag resumes play";
    EXPECT_NEAR((double)Remote({"rew", "60"}).status.positionMs, 0, 10) << "no further back than the start";

    EXPECT_EQ(Remote({"repeat", "all"}).status.repeat, 2);
    EXPECT_EQ(Remote({"repeat", "one"}).status.repeat, 1);
    EXPECT_EQ(Remote({"play", "3"}).result, REPLY_REFUSED) << "only two tracks";

    Remote({"stop"});
    Remote({"record", "--start"});
    r = Remote({"play", "1"});
    EXPECT_EQ(r.result, REPLY_REFUSED) << "the double click is refused while recording";
    EXPECT_NE(r.message.find("REC"), std::string::npos) << r.message;
    EXPECT_EQ(Remote({"open", a}).result, REPLY_REFUSED);
    EXPECT_EQ(Deck().deckState, Recording);
}

TEST_F(RemoteCommands, FilesTheListCannotTakeAreRefusedBeforeAnythingChanges) {
    std::string a = Wave("a.wav", 2);
    ASSERT_EQ(Remote({"open", a}).result, REPLY_OK);
    RemoteReply r = Remote({"add", folder + "/song.ogg"});
    EXPECT_EQ(r.result, REPLY_REFUSED);
    EXPECT_EQ(r.messageId, STR_CANNOT_BE_PLAYED);
    EXPECT_EQ(r.message, folder + "/song.ogg") << "the deck's box puts the file before its text";
    EXPECT_EQ(Remote({"add", a, folder + "/b.ogg"}).messageId, STR_FORMATS_NOT_SUPPORTED);
    EXPECT_EQ(Remote({"open", folder + "/missing.wav"}).messageId, STR_CANNOT_BE_PLAYED);
    EXPECT_EQ(GetEntryCount(), 1);
    EXPECT_EQ(RecordedMessageCount(), 0);

    std::string wire = "QDCTL 1\nplay\nfirst\n";
    RemoteReply bad = RunRemoteRequest(wire.data(), wire.size(), 1);
    EXPECT_EQ(bad.result, REPLY_BAD);
    EXPECT_EQ(Deck().deckState, Stopped);
}

// The 999-entry room through qdctl: add counts the entries already listed, open replaces them.
TEST_F(RemoteCommands, TheListsRoomCountsOnlyWhatStaysInIt) {
    std::string a = Wave("a.wav", 2), b = Wave("b.wav", 2);
    ASSERT_EQ(Remote({"open", a}).result, REPLY_OK);
    while (GetEntryCount() < PLAYLIST_MAX_ENTRIES - 1) ASSERT_EQ(AddPath(a.c_str()), 1);
    EXPECT_EQ(Remote({"add", a, b}).messageId, STR_CANNOT_ADD_MORE);
    EXPECT_EQ(GetEntryCount(), PLAYLIST_MAX_ENTRIES - 1);
    EXPECT_EQ(Remote({"add", b}).result, REPLY_OK) << "the last place";
    EXPECT_EQ(GetEntryCount(), PLAYLIST_MAX_ENTRIES);
    EXPECT_EQ(Remote({"open", a, b}).result, REPLY_OK) << "open replaces the full list";
    EXPECT_EQ(GetEntryCount(), 2);
}
