// The record-folder services on the real (Wine) file system: numbered names taken in any format
// and letter case, folders against files, drive kinds, deleting a recording.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "deck/record_folder.h"

namespace {
class RecordFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        dir = std::string(temp) + "qd_record_folder_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir.c_str(), nullptr);
    }
    void TearDown() override {
        for (const std::string& f : made) DeleteFileA(f.c_str());
        RemoveDirectoryA(dir.c_str());
    }
    void Touch(const std::string& name) {
        std::string path = dir + "\\" + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
        made.push_back(path);
    }
    std::string dir;
    std::vector<std::string> made;
};

TEST_F(RecordFolderTest, NumbersAreTakenByAFileOfAnyExtension) {
    Touch("S-001.WAV");
    Touch("s-002.mp3");
    std::string base = dir + "\\S-";
    EXPECT_EQ(NumberedFileExists(base.c_str(), 1), 1);
    EXPECT_EQ(NumberedFileExists(base.c_str(), 2), 1);
    EXPECT_EQ(NumberedFileExists(base.c_str(), 3), 0);
    EXPECT_EQ(NumberedFileExists((dir + "\\T-").c_str(), 1), 0);
}

TEST_F(RecordFolderTest, FoldersDrivesAndDeletion) {
    Touch("S-004.WAV");
    EXPECT_EQ(FolderExists(dir.c_str()), 1);
    EXPECT_EQ(FolderExists((dir + "\\S-004.WAV").c_str()), 0);
    EXPECT_EQ(FolderExists((dir + "\\missing").c_str()), 0);
    int kind = DriveKindOf("C:\\");
    EXPECT_NE(kind, DRIVE_KIND_UNKNOWN);
    EXPECT_NE(kind, DRIVE_KIND_NO_ROOT);
    EXPECT_EQ(DeleteRecording((dir + "\\S-004.WAV").c_str()), 1);
    EXPECT_EQ(NumberedFileExists((dir + "\\S-").c_str(), 4), 0);
}
}  // namespace
