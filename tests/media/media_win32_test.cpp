// The media modules on the Win32 file seam (run under Wine): rewriting and cutting files,
// sharing rules of the exclusive rewrite and the shared tag writer, writability reasons.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>
#include "fake_player.h"
#include "media/file_splice.h"
#include "media/id3v1.h"
#include "media/media_probe.h"
#include "media/media_window.h"
#include "media/titles.h"

namespace {

typedef std::vector<uint8_t> Bytes;

std::string TempFile(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

void Put32(Bytes* b, uint32_t v) {
    for (int i = 0; i < 4; i++) b->push_back(uint8_t(v >> (8 * i)));
}

// A 16-bit mono PCM WAVE of `dataBytes` bytes of a ramp.
Bytes MakeWave(uint32_t dataBytes) {
    Bytes b;
    const char* riff = "RIFF";
    b.insert(b.end(), riff, riff + 4);
    Put32(&b, 36 + dataBytes);
    const char* rest = "WAVEfmt ";
    b.insert(b.end(), rest, rest + 8);
    Put32(&b, 16);
    const uint8_t fmt[16] = {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0};
    b.insert(b.end(), fmt, fmt + 16);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    Put32(&b, dataBytes);
    for (uint32_t i = 0; i < dataBytes; i++) b.push_back(uint8_t(i * 13));
    return b;
}

void Write(const std::string& path, const Bytes& b) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD put = 0;
    WriteFile(h, b.data(), DWORD(b.size()), &put, nullptr);
    CloseHandle(h);
}

Bytes Read(const std::string& path) {
    Bytes b;
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return b;
    b.resize(GetFileSize(h, nullptr));
    DWORD got = 0;
    if (!b.empty()) ReadFile(h, b.data(), DWORD(b.size()), &got, nullptr);
    CloseHandle(h);
    return b;
}

class MediaWin32Test : public ::testing::Test {
protected:
    std::string wav = TempFile("qd_media_win32.wav");
    std::string mp3 = TempFile("qd_media_win32.mp3");
    void SetUp() override { FakePlayerReset(); }
    void TearDown() override {
        for (const std::string& p : {wav, mp3}) {
            SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(p.c_str());
        }
    }
};

TEST_F(MediaWin32Test, TitleRewriteMovesAndCutsTheFile) {
    Bytes orig = MakeWave(70000);  // more than the 32 KB read ahead
    Write(wav, orig);
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "Kiwi", 0));
    Bytes b = Read(wav);
    ASSERT_EQ(orig.size() + 18, b.size());
    EXPECT_EQ(0, std::memcmp(&b[orig.size()], "DISP\x09\0\0\0\x01\0\0\0Kiwi\0\0", 18));
    // Move the title in front of the audio and let it grow: everything behind it moves.
    Bytes front(b.begin(), b.begin() + 12);
    front.insert(front.end(), b.end() - 18, b.end());
    front.insert(front.end(), b.begin() + 12, b.end() - 18);
    Write(wav, front);
    // The copy written beside the file takes its place; nothing is left beside it.
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "Banana", 0));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(TempFile("~qdtitle00.tmp").c_str()));
    b = Read(wav);
    ASSERT_EQ(front.size() + 2, b.size());
    EXPECT_TRUE(std::equal(orig.begin() + 12, orig.end(), b.begin() + 32));
    char title[TITLE_BYTES];
    EXPECT_EQ(1, GetTitleField(wav.c_str(), FIELD_TITLE, title, SOURCE_ID3_FIRST));
    EXPECT_STREQ("Banana", title);
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "", 0));
    b = Read(wav);
    EXPECT_EQ(orig.size(), b.size());
    EXPECT_TRUE(std::equal(orig.begin() + 12, orig.end(), b.begin() + 12));

    MediaInfo info{};
    ASSERT_EQ(1, GetMediaInfo(wav.c_str(), &info));
    EXPECT_EQ(4000u, info.lengthMs);  // 70000 bytes at 16000 bytes/s: whole seconds
    uint32_t ms = 1;
    EXPECT_EQ(1, GetMediaLength(wav.c_str(), &ms));  // no deck window in this process
    EXPECT_EQ(0u, ms);
}

TEST_F(MediaWin32Test, AMovedTitleKeepsTheFilesAttributesAndLinks) {
    Bytes orig = MakeWave(70000);
    Write(wav, orig);
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "Kiwi", 0));
    Bytes b = Read(wav);
    Bytes front(b.begin(), b.begin() + 12);  // the title in front of the audio, which then moves
    front.insert(front.end(), b.end() - 18, b.end());
    front.insert(front.end(), b.begin() + 12, b.end() - 18);
    Write(wav, front);
    // (Creation times are carried too, but Wine's volumes report the host file's own.)
    ASSERT_TRUE(SetFileAttributesA(wav.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));

    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "Banana", 0));
    EXPECT_TRUE(GetFileAttributesA(wav.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(front.size() + 2, Read(wav).size());

    // With a second name the file changes in place, so both names show the new title.
    std::string twin = TempFile("qd_media_win32_twin.wav");
    DeleteFileA(twin.c_str());
    ASSERT_TRUE(CreateHardLinkA(twin.c_str(), wav.c_str(), nullptr));
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "Cherry tree", 0));
    char title[TITLE_BYTES];
    EXPECT_EQ(1, GetTitleField(twin.c_str(), FIELD_TITLE, title, SOURCE_ID3_FIRST));
    EXPECT_STREQ("Cherry tree", title);
    EXPECT_EQ(Read(wav), Read(twin));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(TempFile("~qdundo00.tmp").c_str()));
    SetFileAttributesA(twin.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(twin.c_str());
}

TEST_F(MediaWin32Test, MediaWindowTellsExactLength) {
    char display[64];
    if (!GetEnvironmentVariableA("DISPLAY", display, sizeof display)) GTEST_SKIP() << "MCI windows need a display";
    Write(wav, MakeWave(70000));
    EXPECT_EQ(4375u, MediaWindowLength(wav.c_str()));  // 70000 bytes at 16000 bytes/s
    EXPECT_EQ(0u, MediaWindowLength(TempFile("qd_media_nothing.wav").c_str()));
}

TEST_F(MediaWin32Test, SharingDecidesWhoMayWrite) {
    Bytes orig = MakeWave(1000);
    Write(wav, orig);
    HANDLE other =
        CreateFileA(wav.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    // The RIFF rewrite wants the file to itself: it fails, says why, and changes nothing.
    EXPECT_EQ(0, SetTitleField(wav.c_str(), FIELD_TITLE, "Busy", 0));
    EXPECT_EQ(WRITE_FAILED_OPEN, LastTitleWriteFailure());
    EXPECT_EQ(orig, Read(wav));
    CloseHandle(other);

    Bytes mpeg = {0xFF, 0xFB, 0x90, 0x64};
    mpeg.resize(400);
    Write(mp3, mpeg);
    other =
        CreateFileA(mp3.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    EXPECT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_ARTIST, "Shared"));  // the tag writer shares
    CloseHandle(other);
    Bytes b = Read(mp3);
    ASSERT_EQ(528u, b.size());
    EXPECT_EQ(0, std::memcmp(&b[400], "TAG", 3));
    char text[ID3_TEXT_BYTES + 1];
    EXPECT_EQ(1, ReadId3Field(mp3.c_str(), FIELD_ARTIST, text));
    EXPECT_STREQ("Shared", text);
}

TEST_F(MediaWin32Test, WritabilityReasons) {
    Write(wav, MakeWave(100));
    int reason = -1;
    EXPECT_EQ(1, CheckWritable(wav.c_str(), &reason));
    HANDLE held = CreateFileA(wav.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);  // held unshared
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(0, CheckWritable(wav.c_str(), &reason));
    EXPECT_EQ(WRITABLE_LOCKED, reason);
    CloseHandle(held);
    EXPECT_EQ(0, CheckWritable(TempFile("qd_media_nothing.wav").c_str(), &reason));
    EXPECT_EQ(WRITABLE_MISSING, reason);
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    dir[std::strlen(dir) - 1] = 0;  // without the trailing backslash, as a directory search wants
    EXPECT_EQ(1, FileExists(dir));
    EXPECT_EQ(1, FileExists(wav.c_str()));
}

}  // namespace
