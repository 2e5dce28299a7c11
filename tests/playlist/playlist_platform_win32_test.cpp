// The playlist's Win32 file handling under Wine: a list file is replaced in one step, and a
// replacement that cannot happen (the file is held open by another program) leaves the file
// exactly as it was, with no scratch file left beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "playlist/playlist_platform.h"

namespace {

std::string TempFolder() {
    char buf[MAX_PATH];
    GetTempPathA(sizeof buf, buf);
    return buf;
}

std::string ReadWhole(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "(missing)";
    char buf[4096];
    DWORD got = 0;
    ReadFile(h, buf, sizeof buf, &got, nullptr);
    CloseHandle(h);
    return std::string(buf, got);
}

TEST(PlaylistFilesWin32, ListFilesAreReplacedWholeOrNotAtAll) {
    std::string path = TempFolder() + "qd_list_test.spl";
    DeleteFileA(path.c_str());
    const std::string first = ";QD_LIST_TEST.SPL\r\n\"C:\\a.wav\"\t\"C:\\a.wav\"\r\n", second = ";QD_LIST_TEST.SPL\r\n";
    ASSERT_EQ(ReplaceListFile(path.c_str(), first.data(), (uint32_t)first.size()), 1);
    EXPECT_EQ(ReadWhole(path), first);
    ASSERT_EQ(ReplaceListFile(path.c_str(), second.data(), (uint32_t)second.size()), 1);
    EXPECT_EQ(ReadWhole(path), second);

    // Held open without sharing by someone else: the old content stays.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReplaceListFile(path.c_str(), first.data(), (uint32_t)first.size()), 0);
    CloseHandle(held);
    EXPECT_EQ(ReadWhole(path), second);
    EXPECT_EQ(GetFileAttributesA((path + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(path.c_str());

    char folder[MAX_PATH];
    ProgramFolder(folder, sizeof folder);
    ASSERT_NE(folder[0], 0);
    EXPECT_EQ(folder[strlen(folder) - 1], '\\');
}

}  // namespace
