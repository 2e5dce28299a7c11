// Writes that must survive a crash: every file that is built
// beside the user's file and swapped in is flushed after its last byte and before the swap (a
// fault that fails each call cannot see a flush that was never made, so the order of the calls
// is checked).
#include <gtest/gtest.h>
#include <cstring>
#include <sstream>
#include <vector>
#include "base/message_box.h"
#include "media/file_splice.h"
#include "media/media_file_fault.h"
#include "media_test_util.h"
#include "playlist/playlist_files.h"
#include "playlist/playlist_model.h"
#include "tools/combine.h"
#include "tools/divide.h"
#include "tools/tool_output.h"
#include "wave_bytes.h"

namespace {

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// The swap is the last call, and the call just before it is the flush, so nothing is written
// between the flush and the swap.
void ExpectFlushedThenSwapped(const std::string& what) {
    std::vector<std::string> calls = Words(MediaFileCallNames());
    SCOPED_TRACE(what + ": " + MediaFileCallNames());
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ("create", calls.front());
    EXPECT_EQ("replace", calls.back());
    EXPECT_EQ("flush", calls[calls.size() - 2]);
}

class WriteOrder : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override {
        ResetMessages();
        SetToolTextMode(nullptr, 0);
        SetMediaFileFault(MEDIA_FAULT_NONE, 0);
    }
    std::string Make(const std::string& name, const Bytes& bytes) {
        WriteAll(dir.File(name), bytes);
        return dir.File(name);
    }
};

TEST_F(WriteOrder, EveryFileSwappedInIsFlushedFirst) {
    std::string a = Make("a.wav", MakeWave(40000)), b = Make("b.wav", MakeWave(24000));
    char dest[TOOL_PATH_BYTES];

    std::snprintf(dest, sizeof dest, "%s", dir.File("part.wav").c_str());
    SetMediaFileFault(MEDIA_FAULT_NONE, 0);
    ASSERT_EQ(1, DivideWave(dest, a.c_str(), 10, 150));
    ExpectFlushedThenSwapped("divide");

    std::snprintf(dest, sizeof dest, "%s", dir.File("joined.wav").c_str());
    SetMediaFileFault(MEDIA_FAULT_NONE, 0);
    ASSERT_EQ(1, CombineWave(dest, a.c_str(), b.c_str()));
    ExpectFlushedThenSwapped("combine");

    // A title that moves audio: the copy is built beside the file.
    MediaFile f;
    ASSERT_EQ(1, OpenMediaFile(a.c_str(), MF_READ_WRITE_EXCLUSIVE, &f));
    const uint8_t chunk[12] = {'J', 'U', 'N', 'K', 4, 0, 0, 0, 1, 2, 3, 4};
    Splice s{};
    s.cutStart = s.cutEnd = 12;
    s.insert = chunk;
    s.insertLength = sizeof chunk;
    SetMediaFileFault(MEDIA_FAULT_NONE, 0);
    ASSERT_EQ(1, ApplySplice(a.c_str(), &f, &s));
    ExpectFlushedThenSwapped("a splice beside the file");
    EXPECT_EQ(40044u + 12u, ReadAll(a).size());

    ResetPlaylistForTest();
    AddPath(b.c_str());
    SetMediaFileFault(MEDIA_FAULT_NONE, 0);
    ASSERT_EQ(1, WritePlaylistFile(dir.File("list.spl").c_str()));
    EXPECT_EQ("create write flush replace", MediaFileCallNames());
    EXPECT_EQ(0, MediaFilesOpen());
}
}  // namespace
