// Helpers of the playlist tests: a scratch folder, small real WAVE files, a clean slate of every
// module the list touches, and the invariants that must hold after every change of the list.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/message_box.h"
#include "base/system_info.h"
#include "deck/deck.h"
#include "media/media_file_fault.h"
#include "playlist/playlist_files.h"
#include "playlist/playlist_internal.h"
#include "playlist/playlist_platform.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

struct Scratch {  // a fresh folder, removed with its contents at the end
    std::string path =
        (fs::temp_directory_path() / ("qd_pl_" + std::to_string(getpid()) + "_" + std::to_string(Serial()++))).string();
    Scratch() { fs::create_directories(path); }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string File(const std::string& name) const { return path + "/" + name; }
    static int& Serial() {
        static int n = 0;
        return n;
    }
};

inline void WriteText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}
inline std::string ReadText(const std::string& path) {
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// A silent 8-bit mono 8000 Hz WAVE file of `ms` milliseconds.
inline std::string WriteWave(const std::string& path, uint32_t ms) {
    std::string b;
    auto le = [&b](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b += (char)(uint8_t)(v >> (8 * i));
    };
    b += "RIFF", le(36 + ms * 8, 4), b += "WAVEfmt ", le(16, 4), le(1, 2), le(1, 2), le(8000, 4), le(8000, 4);
    b += std::string("\x01\0\x08\0data", 8), le(ms * 8, 4), b.append(ms * 8, (char)0x80);
    WriteText(path, b);
    return path;
}

inline void ResetPlaylistWorld() {
    ResetPlaylistForTest();
    ResetPlaylistPlatformForTest();
    ResetMessages();
    ResetSettingsForTest();
    RegistryResetForTest();
    SetFakeTickCount(1000000);
    SetPlaylistInitFailForTest(0);
    SetMediaFileFault(MEDIA_FAULT_NONE, 0);
    SetNativeAnsiCodePage(0);
}

inline std::vector<int> ShownMessages() {  // string ids since the last ResetMessages
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

// Count in range, each probe state with its title and length, the totals over the probed entries.
inline void ExpectListInvariants(const std::string& where) {
    SCOPED_TRACE(where);
    int count = GetEntryCount(), probed = 0;
    ASSERT_TRUE(count >= 0 && count <= PLAYLIST_MAX_ENTRIES);
    uint64_t sum = 0;
    PlaylistEntry e;
    for (int n = 1; n <= count; ++n) {
        ASSERT_EQ(GetEntry(n, &e), 1) << n;
        EXPECT_EQ(std::string(e.path).substr(std::string(e.path).size() - std::strlen(e.fileName)), e.fileName);
        std::string title = e.title;
        bool failedTitle = title == "Illegal File" || title == "File Not Found";
        EXPECT_EQ(e.probeState == Unprobed, title == "Unknown") << n;
        EXPECT_EQ(e.probeState == Failed, failedTitle) << n;
        EXPECT_EQ(e.probeState == Probed, e.durationMs > 0) << n;
        EXPECT_LE(e.probeState, (uint32_t)Failed) << n;
        if (e.probeState == Probed) sum += e.durationMs, probed++;
    }
    EXPECT_EQ(GetEntry(count + 1, &e), 0);
    EXPECT_EQ(GetTotalMs(), sum);
    EXPECT_LE(GetTotalWithGapsMs(), sum + (uint64_t)PLAYLIST_GAP_MS * probed);
    EXPECT_TRUE(GetShownTotalMs() == GetTotalMs() || GetShownTotalMs() == GetTotalWithGapsMs());
    EXPECT_TRUE(GetCurrentNumber() >= 0 && GetCurrentNumber() <= PLAYLIST_MAX_ENTRIES);
}
