// The silence files: a valid 16-bit stereo WAVE of six seconds per rate, and the choice of file
// for a track's rate.
#include "deck/silence_files.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
uint32_t Le32(const std::string& b, size_t at) {
    return (uint8_t)b[at] | (uint8_t)b[at + 1] << 8 | (uint8_t)b[at + 2] << 16 | (uint32_t)(uint8_t)b[at + 3] << 24;
}
uint16_t Le16(const std::string& b, size_t at) { return (uint16_t)((uint8_t)b[at] | (uint8_t)b[at + 1] << 8); }

TEST(SilenceFiles, EachFileIsSixSecondsOfStereoSilence) {
    char tmpl[] = "/tmp/qd_silence_XXXXXX";
    std::string folder = mkdtemp(tmpl);
    ASSERT_EQ(0, WriteSilenceFiles(folder.c_str()));
    const struct {
        uint32_t rate;
        const char* name;
    } files[] = {
        {32000, "Sil32.$$$"},
        {44100, "Sil44.$$$"},
        {48000, "Sil48.$$$"}
    };
    for (const auto& f : files) {
        std::ifstream in(folder + "/" + f.name, std::ios::binary);
        std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_EQ(44u + 24u * f.rate, b.size()) << f.name;
        EXPECT_EQ("RIFF", b.substr(0, 4));
        EXPECT_EQ(b.size() - 8, Le32(b, 4));
        EXPECT_EQ("WAVEfmt ", b.substr(8, 8));
        EXPECT_EQ(16u, Le32(b, 16));
        EXPECT_EQ(1, Le16(b, 20));
        EXPECT_EQ(2, Le16(b, 22));
        EXPECT_EQ(f.rate, Le32(b, 24));
        EXPECT_EQ(f.rate * 4, Le32(b, 28));
        EXPECT_EQ(4, Le16(b, 32));
        EXPECT_EQ(16, Le16(b, 34));
        EXPECT_EQ("data", b.substr(36, 4));
        EXPECT_EQ(24u * f.rate, Le32(b, 40));
        EXPECT_EQ(std::string::npos, b.find_first_not_of('\0', 44));
    }
    EXPECT_EQ(folder + "/Sil44.$$$", SilenceFilePath(44100));
    EXPECT_EQ(folder + "/Sil48.$$$", SilenceFilePath(48000));
    EXPECT_EQ(folder + "/Sil32.$$$", SilenceFilePath(22050));
    EXPECT_EQ(folder + "/Sil32.$$$", SilenceFilePath(32000));
    DeleteSilenceFiles();
    for (const auto& f : files) EXPECT_NE(0, access((folder + "/" + f.name).c_str(), F_OK));
    rmdir(folder.c_str());
}

TEST(SilenceFiles, AFolderTooLongForTheNamesWritesNothing) {
    char tmpl[] = "/tmp/qd_silence_XXXXXX";
    std::string top = mkdtemp(tmpl);
    // The folder exists, but "<folder>/Sil32.$$$" is longer than a path may be.
    std::string folder = top + "/" + std::string(SILENCE_PATH_BYTES - 5 - top.size(), 'f');
    ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
    EXPECT_EQ(8, WriteSilenceFiles(folder.c_str()));
    DIR* d = opendir(folder.c_str());
    ASSERT_NE(nullptr, d);
    int entries = 0;
    while (dirent* e = readdir(d)) entries += e->d_name[0] != '.';
    closedir(d);
    EXPECT_EQ(0, entries) << "no file under a cut-off name";
    DeleteSilenceFiles();
    rmdir(folder.c_str());
    rmdir(top.c_str());
}
}  // namespace
