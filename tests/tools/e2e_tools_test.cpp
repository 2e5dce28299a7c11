// The Edit sheet under Wine, driven from outside: the File property command opens it on the
// cued file; the Tag Editor writes a typed title with Apply; the Divide page cuts the stretch
// set with the In and Out spins into a file named in the save dialog; the Combine page joins
// two MP3 files into one that decodes to their summed length.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <cstdlib>
#include <string>
#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include "media_test_util.h"
#include "resources/resource.h"
#include "tool_skip.h"

namespace {
using e2e::DECK_CLASS;
using e2e::DECK_TITLE;
using e2e::START_MS;
using e2e::WM_COMMAND_;
const char SHEET_TITLE[] = "Edit";
const int STEP_MS = e2e::WAIT_MS;
const unsigned WM_VSCROLL_ = 0x115, WM_USER_ = 0x400;
const unsigned PSM_SETCURSEL_ = WM_USER_ + 101, UDM_SETPOS_ = WM_USER_ + 103;
const unsigned SB_THUMBPOSITION_ = 4, IDOK_ = 1;
const int FILE_NAME_FIELD = 0x47C;  // the file dialogs' name box

class EditSheetE2e : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PathExists(DeckExePath()) || !PathExists(WintoolExePath()))
            SKIP_UNLESS_CI("Windows build missing: " << DeckExePath());
        if (!Shell("command -v lame") || !Shell("command -v mpg123")) SKIP_UNLESS_CI("lame or mpg123 missing");
        ASSERT_TRUE(StartRig(&rig));
        files = rig.dir + "/files";
        mkdir(files.c_str(), 0755);
    }
    void TearDown() override {
        if (deck > 0) StopProcess(deck);
        StopRig(&rig);
    }
    std::string Tool(const std::vector<std::string>& args) {
        std::string answer = WintoolAnswer(rig, args);
        EXPECT_NE(answer, "(failed)") << args[0];
        return answer;
    }
    // Starts the deck with the file cued and opens the sheet on it through the command.
    void OpenSheetOn(const std::string& path) {
        deck = StartDeck(rig, {e2e::WinPath(path)});
        ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
        std::string main = Tool({"find", DECK_CLASS, "-"});
        Tool({"post", main, std::to_string(WM_COMMAND_), std::to_string(CMD_FILE_PROPERTY), "0"});
        ASSERT_TRUE(WaitForWindow(rig, "#32770", SHEET_TITLE, STEP_MS)) << "the Edit sheet";
    }
    void ShowPage(int index, int probeId) {
        std::string sheet = Tool({"find", "#32770", SHEET_TITLE});
        Tool({"post", sheet, std::to_string(PSM_SETCURSEL_), std::to_string(index), "0"});
        ASSERT_FALSE(WaitForControl(rig, SHEET_TITLE, probeId, STEP_MS).empty()) << "page " << index;
    }
    void Click(int id) { Tool({"click", WaitForControl(rig, SHEET_TITLE, id, STEP_MS)}); }
    // Answers a file dialog (titled title) with a path.
    void ChooseInDialog(int browseId, const std::string& title, const std::string& path) {
        Click(browseId);
        ASSERT_TRUE(WaitForWindow(rig, "#32770", title, STEP_MS)) << title;
        std::string field = WaitForControl(rig, title, FILE_NAME_FIELD, STEP_MS);
        ASSERT_FALSE(field.empty());
        Tool({"settext", field, e2e::WinPath(path)});
        Tool({"post", Tool({"find", "#32770", title}), std::to_string(WM_COMMAND_), std::to_string(IDOK_), "0"});
        ASSERT_TRUE(e2e::WaitUntil([&] { return CountWindows(rig, "#32770", title) == 0; }, STEP_MS)) << title;
    }
    void PressCreated(const std::string& path) {
        MessageBoxInfo box;
        ASSERT_TRUE(WaitForMessageBox(rig, DECK_TITLE, "", STEP_MS, &box));
        EXPECT_NE(std::string::npos, box.text.find("created.")) << box.text;
        PressMessageBox(rig, box, "OK");
        EXPECT_TRUE(WaitForFile(path, STEP_MS));
    }
    std::string Mp3(const std::string& name, int seconds) {
        std::string wav = files + "/" + name + ".wav", mp3 = files + "/" + name + ".mp3";
        EXPECT_TRUE(Shell("sox -V1 -n -r 44100 -c 2 -b 16 '" + wav + "' synth " + std::to_string(seconds) +
                          " sine 440 && lame --quiet -b 128 '" + wav + "' '" + mp3 + "' && rm '" + wav + "'"));
        return mp3;
    }
    Rig rig;
    pid_t deck = -1;
    std::string files;
};

TEST_F(EditSheetE2e, TagEditorApplyWritesTheTypedTitle) {
    std::string mp3 = Mp3("song", 2);
    OpenSheetOn(mp3);
    std::string title = WaitForControl(rig, SHEET_TITLE, IDC_TAG_TITLE, STEP_MS);
    ASSERT_FALSE(title.empty());
    Tool({"settext", title, "Sunrise"});
    Click(IDC_TAG_APPLY);
    std::string got;
    e2e::WaitUntil([&] {
        got = Capture("ffprobe -v error -show_entries format_tags=title -of default=nw=1:nk=1 '" + mp3 + "'");
        return got.find("Sunrise") != std::string::npos;
    }, STEP_MS);
    EXPECT_EQ("Sunrise\n", got);
}

TEST_F(EditSheetE2e, DividePageCutsTheStretchBetweenInAndOut) {
    std::string wav = files + "/long.wav", cut = files + "/cut.wav";
    ASSERT_TRUE(Shell("sox -V1 -n -r 44100 -c 2 -b 16 '" + wav + "' synth 4 sine 440"));
    OpenSheetOn(wav);
    ShowPage(1, IDC_SET_IN);
    // In ten steps up from 0 (1 s), Out ten steps down from the end (3 s).
    for (auto spin : {std::make_pair(IDC_IN_SPIN, 0), std::make_pair(IDC_OUT_SPIN, 20)}) {
        std::string handle = WaitForControl(rig, SHEET_TITLE, spin.first, STEP_MS);
        Tool({"sendto", handle, std::to_string(UDM_SETPOS_), "0", std::to_string(spin.second)});
        // The page reads a spin when the spin scrolls it.
        std::string page = Tool({"parent", handle});
        Tool({"post", page, std::to_string(WM_VSCROLL_), std::to_string(SB_THUMBPOSITION_), "0x" + handle});
    }
    std::string length = WaitForControl(rig, SHEET_TITLE, IDC_CUT_LENGTH, STEP_MS);
    std::string shown;
    e2e::WaitUntil([&] { return (shown = Tool({"gettext", length})) == " 000:00:02.0"; }, STEP_MS);
    EXPECT_EQ(" 000:00:02.0", shown);
    ChooseInDialog(IDC_DEST_BROWSE, "Save file", cut);
    Click(IDC_RUN_TOOL);
    PressCreated(cut);
    Bytes out = ReadAll(cut);
    ASSERT_GE(out.size(), 44u);
    EXPECT_EQ(2u * 176400u, Le32At(out, 40));  // two seconds of 16-bit stereo at 44.1 kHz
}

TEST_F(EditSheetE2e, CombinePageJoinsTwoMp3Files) {
    std::string a = Mp3("a", 3), b = Mp3("b", 2), joined = files + "/joined.mp3";
    OpenSheetOn(a);
    ShowPage(2, IDC_FILE2_BROWSE);
    ChooseInDialog(IDC_FILE2_BROWSE, "Load file", b);
    ChooseInDialog(IDC_DEST_BROWSE, "Save file", joined);
    Click(IDC_RUN_TOOL);
    PressCreated(joined);
    auto samples = [](const std::string& path) {
        return Capture("mpg123 -q --no-gapless -s '" + path + "' 2>/dev/null | wc -c");
    };
    long sa = std::atol(samples(a).c_str()), sb = std::atol(samples(b).c_str()),
         sj = std::atol(samples(joined).c_str());
    EXPECT_NEAR(double(sa + sb), double(sj), 4.0 * 1152);  // bytes: one stereo 16-bit frame
}

}  // namespace
