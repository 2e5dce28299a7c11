// The 999-entry limit through every way a list grows: a list file read into an empty or a
// partly filled list, and the Add dialog pushing a partly filled list over. Each way has checks
// of its own in front; these cases get past them, so only the entry table's own guard is left.
#include "playlist_test_util.h"
#include "resources/resource.h"

namespace {

class PlaylistLimits : public ::testing::Test {
protected:
    void SetUp() override { ResetPlaylistWorld(); }
    Scratch dir;

    std::string Name(const std::string& stem, int i) { return dir.File(stem + std::to_string(i) + ".wav"); }
    std::string ListOf(const std::string& list, const std::string& stem, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += "\"" + Name(stem, i) + "\"\r\n";
        WriteText(dir.File(list), text);
        return dir.File(list);
    }
    void Fill(const std::string& stem, int count) {
        for (int i = 0; i < count; ++i) ASSERT_EQ(1, AddPath(Name(stem, i).c_str()));
        FinishAdd(count, OWNER_MAIN_WINDOW);
        ResetMessages();
    }
    void Drop(const std::string& path) {
        MarkBeforeDrop();
        AddPath(path.c_str());
        FinishAdd(1, OWNER_MAIN_WINDOW);
    }
};

TEST_F(PlaylistLimits, AListFileStopsAtTheLimitIntoAnEmptyOrAPartlyFilledList) {
    Drop(ListOf("big.spl", "b", 1005));
    EXPECT_EQ(999, GetEntryCount());
    EXPECT_EQ(Name("b", 998), EntryPaths().back());
    EXPECT_EQ(std::vector<int>{STR_CANNOT_ADD_MORE}, ShownMessages());
    ExpectListInvariants("a list file of 1,005");

    ResetPlaylistWorld();
    Fill("a", 990);
    Drop(ListOf("twenty.spl", "t", 20));
    EXPECT_EQ(999, GetEntryCount());
    EXPECT_EQ(Name("t", 8), EntryPaths().back());
    EXPECT_EQ(std::vector<int>{STR_CANNOT_ADD_MORE}, ShownMessages());
    ExpectListInvariants("990 and a list file of 20");
}

TEST_F(PlaylistLimits, TheAddDialogStopsAtTheLimitOfAPartlyFilledList) {
    Fill("a", 500);
    std::string chosen = dir.path + '\0';
    for (int i = 0; i < 600; ++i) chosen += "c" + std::to_string(i) + ".wav" + '\0';
    QueueSelectFileResult(chosen.data(), (uint32_t)chosen.size() + 1);
    ASSERT_EQ(1, AddFilesDialog());
    EXPECT_EQ(999, GetEntryCount());
    EXPECT_EQ(dir.path + "\\c498.wav", EntryPaths().back());
    EXPECT_EQ(std::vector<int>{STR_CANNOT_ADD_MORE}, ShownMessages());
    ExpectListInvariants("500 and 600 chosen");
}

// A dropped path has room for 254 characters and its zero in an entry; at 255 it is refused with
// the message.
TEST_F(PlaylistLimits, ADroppedPathAtTheLengthLimit) {
    std::string fits = dir.path + "/" + std::string(254 - dir.path.size() - 5, 'f') + ".wav";
    std::string over = dir.path + "/" + std::string(255 - dir.path.size() - 5, 'o') + ".wav";
    ASSERT_EQ(254u, fits.size());
    Drop(fits);
    Drop(over);
    EXPECT_EQ(std::vector<std::string>{fits}, EntryPaths());
    EXPECT_EQ(std::vector<int>{STR_PATH_TOO_LONG}, ShownMessages());
}

// A chosen name whose full path reaches 255 characters gets the message and still fits an
// entry; at 256 it gets the message and is refused, and the files around it are taken whole.
TEST_F(PlaylistLimits, AChosenPathAtTheLengthLimit) {
    auto name = [&](size_t length, char c) { return std::string(length - dir.path.size() - 1 - 4, c) + ".wav"; };
    std::string chosen = dir.path + '\0' + "a.wav" + '\0' + name(255, 'f') + '\0' + name(256, 'o') + '\0' +
                         "z.wav" + '\0';
    QueueSelectFileResult(chosen.data(), (uint32_t)chosen.size() + 1);
    ASSERT_EQ(1, AddFilesDialog());
    const std::string folder = dir.path + "\\";
    EXPECT_EQ((std::vector<std::string>{folder + "a.wav", folder + name(255, 'f'), folder + "z.wav"}), EntryPaths());
    EXPECT_EQ((std::vector<int>{STR_PATH_TOO_LONG, STR_PATH_TOO_LONG}), ShownMessages());
    ExpectListInvariants("paths of 255 and 256 characters chosen");
}
}  // namespace
