// Helpers of the playlist tests: a scratch folder, small real sound files, a clean slate of
// every module the list touches, and the list's invariants.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/clock.h"
#include "app/message_box.h"
#include "deck/deck.h"
#include "playlist/playlist_files.h"
#include "playlist/playlist_internal.h"
#include "playlist/playlist_model.h"
#include "playlist/playlist_platform.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

// A fresh folder under the temporary folder, removed with its contents at the end.
struct Scratch {
    std::string path;
    Scratch() {
        static int serial = 0;
        path =
            (fs::temp_directory_path() / ("qd_playlist_" + std::to_string(::getpid()) + "_" + std::to_string(serial++)))
                .string();
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string File(const std::string& name) const { return path + "/" + name; }
};

inline void WriteText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A silent 8-bit mono WAVE file of `ms` milliseconds at 8000 Hz (8 bytes per millisecond).
inline std::string WriteWave(const std::string& path, uint32_t ms) {
    const uint32_t rate = 8000, data = ms * 8;
    std::string b = "RIFF";
    auto le = [&b](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b += (char)(uint8_t)(v >> (8 * i));
    };
    le(36 + data, 4);
    b += "WAVEfmt ";
    le(16, 4);
    le(1, 2);
    le(1, 2);
    le(rate, 4);
    le(rate, 4);
    le(1, 2);
    le(8, 2);
    b += "data";
    le(data, 4);
    b.append(data, (char)0x80);
    WriteText(path, b);
    return path;
}

// Every module the playlist reaches, back to its start.
inline void ResetPlaylistWorld() {
    ResetPlaylistForTest();
    ResetPlaylistPlatformForTest();
    ResetMessages();
    ResetSettingsForTest();
    RegistryResetForTest();
    SetFakeTickCount(1000000);
    SetPlaylistInitFailForTest(0);
}

// String ids of the boxes shown since the last ResetMessages.
inline std::vector<int> ShownMessages() {
    std::vector<int> ids;
    for (int i = 0; i < RecordedMessageCount(); ++i) ids.push_back(RecordedMessageAt(i)->stringId);
    return ids;
}

inline std::vector<std::string> EntryPaths() {
    std::vector<std::string> paths;
    char p[PLAYLIST_PATH_BYTES];
    for (int n = 1; GetEntryPath(n, p); ++n) paths.push_back(p);
    return paths;
}

// What must hold after every change of the list.
inline void ExpectListInvariants(const char* where) {
    SCOPED_TRACE(where);
    int count = GetEntryCount();
    ASSERT_GE(count, 0);
    ASSERT_LE(count, PLAYLIST_MAX_ENTRIES);
    uint64_t sum = 0;
    int probed = 0;
    for (int n = 1; n <= count; ++n) {
        PlaylistEntry e;
        ASSERT_EQ(GetEntry(n, &e), 1) << n;
        const char* slash = std::strrchr(e.path, '/');
        EXPECT_STREQ(e.fileName, slash ? slash + 1 : e.path) << n;
        switch (e.probeState) {
        case Unprobed:
            EXPECT_STREQ(e.title, "Unknown") << n;
            EXPECT_EQ(e.durationMs, 0u) << n;
            break;
        case Probed:
            EXPECT_GT(e.durationMs, 0u) << n;
            sum += e.durationMs;
            probed++;
            break;
        case Failed:
            EXPECT_EQ(e.durationMs, 0u) << n;
            EXPECT_TRUE(!std::strcmp(e.title, "Illegal File") || !std::strcmp(e.title, "File Not Found")) << n;
            break;
        default: ADD_FAILURE() << "probe state " << e.probeState << " of entry " << n;
        }
    }
    PlaylistEntry none;
    EXPECT_EQ(GetEntry(count + 1, &none), 0);
    EXPECT_EQ(GetEntry(0, &none), 0);
    EXPECT_EQ(GetTotalMs(), sum);
    EXPECT_LE(GetTotalWithGapsMs(), sum + (uint64_t)PLAYLIST_GAP_MS * probed);
    EXPECT_TRUE(GetShownTotalMs() == GetTotalMs() || GetShownTotalMs() == GetTotalWithGapsMs());
    EXPECT_GE(GetCurrentNumber(), 0);
    EXPECT_LE(GetCurrentNumber(), PLAYLIST_MAX_ENTRIES);
}
