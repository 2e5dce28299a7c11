// The silence files: a valid 16-bit stereo WAVE of six seconds per rate, and the choice of file
// for a track's rate.
#include "deck/silence_files.h"
#include "app_test_util.h"
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
        EXPECT_TRUE(b == SilentWave(f.rate, 6)) << f.name << " is not a plain six-second WAVE of silence";
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
