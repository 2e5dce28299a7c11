// The playlist model with the real media probe: adding by extension, probing lengths and titles,
// the total, deleting.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "playlist/playlist_model.h"

namespace {
void PutLe(std::vector<uint8_t>& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back((uint8_t)(v >> (8 * i)));
}

// A silent 16-bit stereo WAVE file of `seconds` at 8000 Hz.
std::string WriteWave(const std::string& name, uint32_t seconds) {
    const uint32_t rate = 8000, data = rate * 4 * seconds;
    std::vector<uint8_t> b;
    for (char c : std::string("RIFF")) b.push_back((uint8_t)c);
    PutLe(b, 36 + data, 4);
    for (char c : std::string("WAVEfmt ")) b.push_back((uint8_t)c);
    PutLe(b, 16, 4);
    PutLe(b, 1, 2);
    PutLe(b, 2, 2);
    PutLe(b, rate, 4);
    PutLe(b, rate * 4, 4);
    PutLe(b, 4, 2);
    PutLe(b, 16, 2);
    for (char c : std::string("data")) b.push_back((uint8_t)c);
    PutLe(b, data, 4);
    b.resize(b.size() + data);
    std::string path = std::string(QD_BINARY_DIR) + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return path;
}

TEST(PlaylistModel, ProbingFillsLengthsTitlesAndTheTotal) {
    ResetPlaylistForTest();
    std::string a = WriteWave("plm_a.wav", 2), b = WriteWave("plm_b.WAV", 3);
    std::string junk = std::string(QD_BINARY_DIR) + "/plm_junk.mp3";
    FILE* f = std::fopen(junk.c_str(), "wb");
    std::fputs("not sound at all", f);
    std::fclose(f);

    EXPECT_EQ(AddPath(a.c_str()), 1);
    EXPECT_EQ(AddPath(b.c_str()), 1);
    EXPECT_EQ(AddPath(junk.c_str()), 1);
    EXPECT_EQ(AddPath("/nowhere/gone.mid"), 1);
    EXPECT_EQ(AddPath("/nowhere/song.ogg"), 0);  // not a sound file the deck plays
    ASSERT_EQ(GetEntryCount(), 4);

    const char* titles[] = {"No Title", "No Title", "Illegal File", "File Not Found"};
    const uint32_t lengths[] = {2000, 3000, 0, 0};
    for (int n = 1; n <= 4; ++n) {
        ASSERT_EQ(ProbeEntry(n), 1);
        PlaylistEntry e;
        ASSERT_EQ(GetEntry(n, &e), 1);
        EXPECT_STREQ(e.title, titles[n - 1]) << n;
        EXPECT_EQ(e.durationMs, lengths[n - 1]) << n;
        EXPECT_EQ(e.probeState, lengths[n - 1] ? (uint32_t)Probed : (uint32_t)Failed) << n;
    }
    EXPECT_EQ(ProbeEntry(5), 0);
    EXPECT_EQ(GetTotalMs(), 5000u);
    ProbeEntry(1);  // probed once only
    EXPECT_EQ(GetTotalMs(), 5000u);

    EXPECT_EQ(DeleteEntry(1), 1);
    EXPECT_EQ(GetTotalMs(), 3000u);
    char path[PLAYLIST_PATH_BYTES];
    ASSERT_EQ(GetEntryPath(1, path), 1);
    EXPECT_EQ(std::string(path), b);
    ClearPlaylist();
    EXPECT_EQ(GetEntryCount(), 0);
    EXPECT_EQ(GetTotalMs(), 0u);
}
}  // namespace
