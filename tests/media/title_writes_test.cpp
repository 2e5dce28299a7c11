// Title, tag and trailer writes never lose a user's bytes: every write operation is failed at
// each of its file calls in turn (and cut short), and must report failure with the file as it
// was and nothing left beside it. Then the layouts that once went wrong: odd chunks without a
// pad byte, data behind the RIFF body, sizes never filled in, damaged sizes and footers, lists
// of other programs, 64-bit sizes.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <functional>
#include "base/system_info.h"
#include "fake_player.h"
#include "media/file_splice.h"
#include "media/id3v1.h"
#include "media/media_file_fault.h"
#include "media/media_probe.h"
#include "media/titles.h"
#include "media_test_util.h"

namespace {

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

Bytes Slice(const Bytes& b, size_t at, size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }
Bytes Text(const char* s, size_t n) { return Bytes(s, s + n); }

class TitleWritesTest : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override {
        FakePlayerReset();
        ResetMediaProbe();
        SetMediaFileFault(MEDIA_FAULT_NONE, 0);
        SetNativeFreeSpace(-1);
    }
    void TearDown() override {
        SetMediaFileFault(MEDIA_FAULT_NONE, 0);
        SetNativeFreeSpace(-1);
        SetNativeAnsiCodePage(0);
        EXPECT_EQ(0, MediaFilesOpen());
    }
    std::string Field(const std::string& path, int field, int source = SOURCE_ID3_FIRST) {
        char buf[TITLE_FIELD_MAX_BYTES] = "";
        GetTitleField(path.c_str(), field, buf, source);
        return field == FIELD_CHANNEL_STATUS ? std::string(buf, 4) : std::string(buf);
    }
    std::string Mp3(const std::string& name) {
        std::string p = dir.File(name);
        EXPECT_TRUE(Shell("sox -V1 -n -r 44100 -c 2 -t wav - synth 0.3 sine 300 | lame --quiet - '" + p + "'"));
        return p;
    }
    std::string Ffprobe(const std::string& path, const char* tags) {
        return Capture(std::string("ffprobe -v error -show_entries format_tags=") + tags + " -of default=nw=1 '" +
                       path + "'");
    }
};

Bytes TrailerOf(const Bytes& chunks) {
    Bytes b = chunks;
    AppendLe32(&b, uint32_t(chunks.size()));
    AppendText(&b, "MEXT");
    return b;
}

// One write operation: puts its starting file in place, then runs the write.
struct WriteCase {
    const char* name;
    Bytes start;
    std::function<int(const char*)> write;
};

TEST_F(TitleWritesTest, EveryFailedFileCallLeavesTheFileAsItWas) {
    std::string wav = dir.File("w.wav"), ff = dir.File("ff.wav");
    ASSERT_TRUE(Shell("sox -n -r 8000 -b 16 -c 1 '" + wav + "' synth 3 sine 440"));
    ASSERT_TRUE(
        Shell("ffmpeg -v error -f lavfi -i sine=d=1 -metadata artist=Quartet -metadata title=Sunrise "
              "-c:a pcm_s16le '" +
              ff + "'"));
    Bytes plain = ReadAll(wav), foreign = ReadAll(ff);
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "Kiwi", 0));
    Bytes titled = ReadAll(wav);
    // The title in front of the audio, so a longer one moves all of it (past every buffer).
    Bytes front(titled.begin(), titled.begin() + 12);
    AppendBytes(&front, titled.data() + plain.size(), 18);
    AppendBytes(&front, plain.data() + 12, plain.size() - 12);
    std::string mp3 = Mp3("m.mp3");
    Bytes audio = ReadAll(mp3);
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_ARTIST, "Someone"));
    Bytes tagged = ReadAll(mp3);
    Bytes trailer = Text("DISP\x0a\0\0\0\x01\0\0\0Title\0\0\0", 18);
    AppendBytes(&trailer, "LIST\x10\0\0\0INFOCHST\x04\0\0\0\x00\x96\x00\x00", 24);
    Bytes trailed = audio, trailedTagged = audio;
    Bytes t = TrailerOf(trailer);
    AppendBytes(&trailed, t.data(), t.size());
    AppendBytes(&trailedTagged, t.data(), t.size());
    AppendBytes(&trailedTagged, tagged.data() + audio.size(), 128);
    const char status[4] = {0x04, 0x06, 0x00, 0x02};
    // A second name for the file while the write runs: it must change in place.
    std::string twin = dir.File("twin");
    auto WithTwin = [&](const char* p, const std::function<int()>& write) {
        EXPECT_EQ(0, link(p, twin.c_str()));
        int result = write();
        unlink(twin.c_str());
        return result;
    };

    const WriteCase cases[] = {
        {"title appended",                plain,         [](const char* p) { return SetTitleField(p, FIELD_TITLE, "Kiwi", 0); }          },
        {"title grown, audio moved",      front,         [](const char* p) { return SetTitleField(p, FIELD_TITLE, "Banana", 0); }        },
        {"title shrunk in place",         front,         [](const char* p) { return SetTitleField(p, FIELD_TITLE, "Fig", 0); }           },
        {"title removed",                 front,         [](const char* p) { return SetTitleField(p, FIELD_TITLE, "", 0); }              },
        {"list field of another program", foreign,
         [](const char* p) { return SetTitleField(p, FIELD_ARTIST, "A much longer artist name", 0); }                                    },
        {"audio moved in a linked file",  foreign,
         [&](const char* p) {
             return WithTwin(p, [&] { return SetTitleField(p, FIELD_ARTIST, "A much longer artist name", 0); });
         }                                                                                                                               },
        {"trailer status",                trailed,       [&](const char* p) { return SetTitleField(p, FIELD_CHANNEL_STATUS, status, 4); }},
        {"trailer status before a tag",   tagged,        [&](const char* p) { return WriteTrailerChannelStatus(p, status, 4); }          },
        {"trailer reduced",               trailedTagged, [](const char* p) { return ReduceTitleTrailer(p); }                             },
        {"ID3v1 appended",                audio,         [](const char* p) { return WriteId3Field(p, FIELD_TITLE, "Song"); }             },
        {"ID3v1 rewritten",               tagged,        [](const char* p) { return WriteId3Field(p, FIELD_GENRE, "17"); }               },
    };
    std::remove(wav.c_str()), std::remove(ff.c_str()), std::remove(mp3.c_str());
    std::string target = dir.File("target");
    int operations = 0, points = 0;
    for (const WriteCase& c : cases) {
        int callsOnSuccess = -1;
        for (int kind : {MEDIA_FAULT_FAIL, MEDIA_FAULT_SHORT}) {
            for (int n = 1;; n++) {
                WriteAll(target, c.start);
                std::vector<std::string> before = FilesIn(dir.path);
                SetMediaFileFault(kind, n);
                int result = c.write(target.c_str());
                int fired = MediaFileFaultFired();
                SetMediaFileFault(MEDIA_FAULT_NONE, 0);
                if (!fired) {
                    EXPECT_EQ(1, result) << c.name;
                    EXPECT_NE(c.start, ReadAll(target)) << c.name;
                    callsOnSuccess = n - 1;
                    break;
                }
                points++;
                EXPECT_EQ(0, result) << c.name << " call " << n << " kind " << kind;
                EXPECT_EQ(WRITE_FAILED_IO, LastTitleWriteFailure()) << c.name << " call " << n;
                EXPECT_TRUE(c.start == ReadAll(target)) << c.name << " call " << n << " kind " << kind;
                EXPECT_EQ(before, FilesIn(dir.path)) << c.name << " call " << n;
                EXPECT_EQ(0, MediaFilesOpen()) << c.name << " call " << n;
            }
        }
        EXPECT_GT(callsOnSuccess, 0) << c.name;
        std::printf("[ fault injection ] %-30s %d file calls, each failed and cut short\n", c.name, callsOnSuccess);
        operations++;
    }
    std::printf("[ fault injection ] %d operations, %d failed calls, each left the file as it was\n", operations,
                points);
}

TEST_F(TitleWritesTest, NoRoomForTheCopyIsRefusedUpFront) {
    std::string wav = dir.File("w.wav");
    ASSERT_TRUE(Shell("sox -n -r 8000 -b 16 -c 1 '" + wav + "' synth 1 sine 440"));
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_ARTIST, "A", 0));
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "T", 0));  // behind the artist's list now
    Bytes before = ReadAll(wav);
    SetNativeFreeSpace(before.size());
    EXPECT_EQ(0, SetTitleField(wav.c_str(), FIELD_ARTIST, "Longer artist", 0));
    EXPECT_EQ(WRITE_FAILED_NO_ROOM, LastTitleWriteFailure());
    EXPECT_EQ(before, ReadAll(wav));
    EXPECT_EQ(std::vector<std::string>{"w.wav"}, FilesIn(dir.path));
    // A title that fits its old space needs no copy.
    EXPECT_EQ(1, SetTitleField(wav.c_str(), FIELD_ARTIST, "B", 0));
    EXPECT_EQ("B", Field(wav, FIELD_ARTIST));
}

size_t OpenDescriptors() {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) n += !entry.path().empty();
    return n;
}

TEST_F(TitleWritesTest, TheSeamRefusesToReplaceOrDeleteAnOpenFile) {
    std::string a = dir.File("a"), b = dir.File("b");
    WriteAll(a, {1});
    WriteAll(b, {2});
    size_t descriptors = OpenDescriptors();
    MediaFileGuard g;
    ASSERT_EQ(1, OpenMediaFile(b.c_str(), MF_READ, &g.file));
    EXPECT_EQ(0, ReplaceMediaFile(a.c_str(), b.c_str()));
    EXPECT_EQ(0, DeleteMediaFile(b.c_str()));
    CloseMediaFile(&g.file);
    EXPECT_EQ(1, ReplaceMediaFile(a.c_str(), b.c_str()));
    EXPECT_EQ(Bytes{1}, ReadAll(b));
    EXPECT_EQ(0, ReplaceMediaFile(a.c_str(), b.c_str()));  // a is gone
    // The replaced file is let go of on a thread of its own; nothing of it, nor of the failed
    // replace, stays open.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (OpenDescriptors() != descriptors && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(descriptors, OpenDescriptors());
}

TEST_F(TitleWritesTest, AWriteThatMovesTheAudioKeepsTheUsersFile) {
    // ffmpeg puts its list in front of the audio, so a longer artist moves all of it.
    std::string real = dir.File("real.wav"), link = dir.File("link.wav"), twin = dir.File("twin.wav");
    ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i sine=d=1 -metadata artist=AB -c:a pcm_s16le '" + real + "'"));
    Bytes start = ReadAll(real), samples = DecodeWithSox(real);
    const char* artist = "A much longer artist";
    auto written = [&](const std::string& path, const char* how) {
        EXPECT_EQ(artist, Field(path, FIELD_ARTIST)) << how;
        EXPECT_EQ(samples, DecodeWithSox(path)) << how;
    };
    struct stat st;

    // Through a symbolic link: the link stays one, the file it names gets the title.
    ASSERT_EQ(0, symlink("real.wav", link.c_str()));
    ASSERT_EQ(1, SetTitleField(link.c_str(), FIELD_ARTIST, artist, 0));
    ASSERT_EQ(0, lstat(link.c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    written(real, "through a link");
    unlink(link.c_str());

    // Permissions, and the owner and group where this process may give them.
    WriteAll(real, start);
    ASSERT_EQ(0, chmod(real.c_str(), 0640));
    int root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(0, chown(real.c_str(), 1234, 5678));
    }
    ASSERT_EQ(1, SetTitleField(real.c_str(), FIELD_ARTIST, artist, 0));
    ASSERT_EQ(0, stat(real.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);
    if (root) {
        EXPECT_EQ(1234u, st.st_uid);
        EXPECT_EQ(5678u, st.st_gid);
    }
    written(real, "permissions");

    // A second name: both still name one file, which has the title.
    WriteAll(real, start);
    ASSERT_EQ(0, ::link(real.c_str(), twin.c_str()));
    ASSERT_EQ(0, stat(real.c_str(), &st));
    ino_t inode = st.st_ino;
    ASSERT_EQ(1, SetTitleField(real.c_str(), FIELD_ARTIST, artist, 0));
    ASSERT_EQ(0, stat(twin.c_str(), &st));
    EXPECT_EQ(inode, st.st_ino);
    written(twin, "hard link");
    unlink(twin.c_str());

    // Another program holding the file open for writing still writes into the user's file.
    WriteAll(real, start);
    int fd = open(real.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(1, SetTitleField(real.c_str(), FIELD_ARTIST, artist, 0));
    ASSERT_EQ(4, write(fd, "MORE", 4));
    close(fd);
    Bytes after = ReadAll(real);
    EXPECT_EQ(Text("MORE", 4), Slice(after, after.size() - 4, 4));
    written(real, "held open");
    EXPECT_EQ(std::vector<std::string>{"real.wav"}, FilesIn(dir.path));  // no backup or copy left
}

TEST_F(TitleWritesTest, ACopyLeftByADeadWriteIsClearedAndOneInUseIsNot) {
    std::string wav = dir.File("w.wav"), left = dir.File("~qdtitle00.tmp"), busy = dir.File("~qdtitle01.tmp");
    ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i sine=d=1 -metadata artist=AB -c:a pcm_s16le '" + wav + "'"));
    WriteAll(left, Text("half", 4));
    WriteAll(busy, Text("being written", 13));
    int fd = open(busy.c_str(), O_RDWR);  // a write going on in another program holds its lock
    ASSERT_EQ(0, flock(fd, LOCK_EX));
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_ARTIST, "A much longer artist", 0));
    EXPECT_EQ((std::vector<std::string>{"w.wav", "~qdtitle01.tmp"}), FilesIn(dir.path));
    close(fd);
}

TEST_F(TitleWritesTest, GrowingAnArtistWhoseTailEndsNearABufferBoundary) {
    // Once a loop that read back what it had just written: 45,055 samples and a grown artist.
    std::string wav = dir.File("x.wav");
    ASSERT_TRUE(
        Shell("ffmpeg -v error -f lavfi -i sine=duration=2 -ac 2 -ar 44100 -af atrim=end_sample=45055 "
              "-metadata artist=AB -metadata title=Morning -metadata comment=Note '" +
              wav + "'"));
    Bytes samples = DecodeWithFfmpeg(wav);
    size_t size = ReadAll(wav).size();
    std::string artist(30, 'z');
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_ARTIST, artist.c_str(), 0));
    Bytes b = ReadAll(wav);
    EXPECT_EQ(size + 28, b.size());  // "AB" and its zero took 4 bytes, the new one 32
    EXPECT_EQ(b.size() - 8, Le32At(b, 4));
    EXPECT_EQ(artist, Field(wav, FIELD_ARTIST));
    EXPECT_EQ(samples, DecodeWithFfmpeg(wav));
    // The other program's items stay: title, comment and the encoder name.
    std::string tags = Ffprobe(wav, "title,comment,artist,encoder");
    EXPECT_NE(std::string::npos, tags.find("title=Morning")) << tags;
    EXPECT_NE(std::string::npos, tags.find("comment=Note")) << tags;
    EXPECT_NE(std::string::npos, tags.find("encoder=Lavf")) << tags;
    EXPECT_NE(std::string::npos, tags.find("artist=" + artist)) << tags;
    // Removing the artist removes only its item.
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_ARTIST, "", 0));
    tags = Ffprobe(wav, "title,comment,artist");
    EXPECT_EQ(std::string::npos, tags.find("artist")) << tags;
    EXPECT_NE(std::string::npos, tags.find("title=Morning")) << tags;
    EXPECT_EQ(samples, DecodeWithFfmpeg(wav));
}

TEST_F(TitleWritesTest, NewChunksGoToTheEndOfTheRiffBody) {
    // 8-bit mono with an odd number of samples: sox ends the data chunk with a pad byte.
    std::string wav = dir.File("odd.wav");
    ASSERT_TRUE(Shell("sox -n -r 8000 -b 8 -c 1 '" + wav + "' synth 1001s sine 440"));
    Bytes sox = ReadAll(wav);
    Bytes samples = DecodeWithSox(wav);
    ASSERT_EQ(44u + 167 + 1, sox.size());

    // Written without the pad byte, or with an ID3v1 tag behind the body, or with a RIFF size
    // never filled in.
    Bytes unpadded(sox.begin(), sox.end() - 1);
    unpadded[4] -= 1;
    Bytes withTag = sox;
    Bytes tag(128, ' ');
    std::memcpy(tag.data(), "TAGOld song", 11);
    AppendBytes(&withTag, tag.data(), tag.size());
    Bytes streamed = sox;
    std::memset(&streamed[4], 0xFF, 4);
    struct Case {
        const char* name;
        Bytes file;
        size_t behind;  // bytes behind the RIFF body
    };
    const Case cases[] = {
        {"odd chunk lacking its pad byte", unpadded, 0  },
        {"ID3v1 tag behind the body",      withTag,  128},
        {"RIFF size of 0xFFFFFFFF",        streamed, 0  },
    };
    for (const Case& c : cases) {
        WriteAll(wav, c.file);
        ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "Kiwi", 0)) << c.name;
        ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "Kiwi2", 0)) << c.name;  // replaced, not added
        Bytes b = ReadAll(wav);
        ASSERT_EQ(sox.size() + 18 + c.behind, b.size()) << c.name;
        EXPECT_EQ(0, b[sox.size() - 1]) << c.name;  // the pad byte
        EXPECT_EQ(Text("DISP\x0a\0\0\0\x01\0\0\0Kiwi2\0", 18), Slice(b, sox.size(), 18)) << c.name;
        EXPECT_EQ(sox.size() + 18 - 8, Le32At(b, 4)) << c.name;
        EXPECT_EQ(Slice(c.file, c.file.size() - c.behind, c.behind), Slice(b, b.size() - c.behind, c.behind));
        EXPECT_EQ("Kiwi2", Field(wav, FIELD_TITLE)) << c.name;
        EXPECT_EQ(samples, DecodeWithSox(wav)) << c.name;
    }
}

TEST_F(TitleWritesTest, DamagedSizesAreNeverTrusted) {
    std::string wav = dir.File("w.wav");
    ASSERT_TRUE(Shell("sox -n -r 8000 -b 16 -c 1 '" + wav + "' synth 3 sine 440"));
    // A chunk before the data whose size runs past the end of the file.
    Bytes b = ReadAll(wav);
    Bytes bad(b.begin(), b.begin() + 12);
    AppendBytes(&bad, "JUNK\x00\x00\x10\x00", 8);
    AppendBytes(&bad, b.data() + 12, b.size() - 12);
    WriteAll(wav, bad);
    EXPECT_EQ(0, SetTitleField(wav.c_str(), FIELD_TITLE, "Kiwi", 0));
    EXPECT_EQ(WRITE_FAILED_CORRUPT, LastTitleWriteFailure());
    EXPECT_EQ(bad, ReadAll(wav));
    // A RIFF size never filled in (0) hides "fmt " and the data: no title goes in front of them.
    Bytes unsized = b;
    std::memset(&unsized[4], 0, 4);
    WriteAll(wav, unsized);
    EXPECT_EQ(0, SetTitleField(wav.c_str(), FIELD_TITLE, "Kiwi", 0));
    EXPECT_EQ(WRITE_FAILED_CORRUPT, LastTitleWriteFailure());
    EXPECT_EQ(unsized, ReadAll(wav));

    // A trailer footer with one bit flipped in its length.
    std::string mp3 = Mp3("m.mp3");
    Bytes file = ReadAll(mp3);
    Bytes t = TrailerOf(Text("DISP\x0a\0\0\0\x01\0\0\0Title\0\0\0", 18));
    AppendBytes(&file, t.data(), t.size());
    file[file.size() - 8] ^= 0x80;
    WriteAll(mp3, file);
    const char status[4] = {0x04, 0x06, 0x00, 0x00};
    EXPECT_EQ(0, WriteTrailerChannelStatus(mp3.c_str(), status, 4));
    EXPECT_EQ(file, ReadAll(mp3));
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_TITLE, "x"));
    Bytes tagged = ReadAll(mp3);
    EXPECT_EQ(0, ReduceTitleTrailer(mp3.c_str()));
    EXPECT_EQ(tagged, ReadAll(mp3));
}

TEST_F(TitleWritesTest, RiffSizesPastFourGigabytesAreRefused) {
    // A 5 GB recording, sparse on disk: header, a title, then audio claimed up to 0xFFFFFFF0.
    std::string wav = dir.File("long.wav");
    Bytes head = Text("RIFF\xff\xff\xff\xffWAVE", 12);
    AppendBytes(&head, "DISP\x0a\0\0\0\x01\0\0\0Long\0\0", 18);
    AppendBytes(&head, "fmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0", 24);
    AppendBytes(&head, "data\xf0\xff\xff\xff", 8);
    WriteAll(wav, head);
    const uint64_t size = 5ull << 30;
    ASSERT_EQ(0, truncate(wav.c_str(), off_t(size)));
    EXPECT_EQ(0, SetTitleField(wav.c_str(), FIELD_ARTIST, "Someone", 0));
    EXPECT_EQ(WRITE_FAILED_TOO_BIG, LastTitleWriteFailure());
    EXPECT_EQ(0, SetTitleField(wav.c_str(), FIELD_TITLE, "Much longer", 0));
    // A title that fits its chunk is written in place, the sizes untouched.
    EXPECT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "Tune", 0));
    EXPECT_EQ("Tune", Field(wav, FIELD_TITLE));
    MediaFileGuard g;
    ASSERT_EQ(1, OpenMediaFile(wav.c_str(), MF_READ, &g.file));
    EXPECT_EQ(size, MediaFileSize(&g.file));
    uint8_t now[62];
    ASSERT_EQ(62u, ReadMediaFile(&g.file, 0, now, 62));
    Bytes expect = head;
    std::memcpy(&expect[24], "Tune", 4);
    EXPECT_EQ(expect, Bytes(now, now + 62));
    EXPECT_EQ(std::vector<std::string>{"long.wav"}, FilesIn(dir.path));
}

TEST_F(TitleWritesTest, TrailerGoesBeforeAnId3Tag) {
    std::string mp3 = Mp3("m.mp3");
    Bytes audio = ReadAll(mp3), decoded = DecodeWithFfmpeg(mp3);
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_TITLE, "Tagged"));
    const char status[4] = {0x00, 0x16, 0x00, 0x00};
    ASSERT_EQ(1, SetTitleField(mp3.c_str(), FIELD_CHANNEL_STATUS, status, 4));
    Bytes b = ReadAll(mp3);
    ASSERT_EQ(audio.size() + 32 + 128, b.size());
    EXPECT_EQ(Text("LIST\x10\0\0\0INFOCHST\x04\0\0\0\x00\x16\x00\x00\x18\0\0\0MEXT", 32), Slice(b, audio.size(), 32));
    int container = -1;
    ASSERT_EQ(1, GetTitleContainer(mp3.c_str(), &container));
    EXPECT_EQ(TITLES_ID3_TRAILER, container);
    EXPECT_EQ("Tagged", Field(mp3, FIELD_TITLE));
    EXPECT_EQ(std::string(status, 4), Field(mp3, FIELD_CHANNEL_STATUS, SOURCE_TRAILER));
    // A second write replaces the list before the tag.
    const char other[4] = {0x04, 0x06, 0x00, 0x00};
    ASSERT_EQ(1, SetTitleField(mp3.c_str(), FIELD_CHANNEL_STATUS, other, 4));
    EXPECT_EQ(b.size(), ReadAll(mp3).size());
    EXPECT_EQ(std::string(other, 4), Field(mp3, FIELD_CHANNEL_STATUS, SOURCE_TRAILER));
    EXPECT_EQ("Tagged", Field(mp3, FIELD_TITLE));
    EXPECT_EQ(decoded, DecodeWithFfmpeg(mp3));
}

TEST_F(TitleWritesTest, FileNameTitlesKeepTwoByteCharacters) {
    // ソニー.wav in Shift-JIS: the second byte of ソ is 0x5C, a backslash on its own.
    SetNativeAnsiCodePage(932);
    std::string name = "\x83\x5c\x83\x6a\x81\x5b.wav";
    std::string wav = dir.File(name);
    ASSERT_TRUE(Shell("sox -n -r 8000 -b 16 -c 1 '" + dir.File("a.wav") + "' synth 0.1 sine 440"));
    ASSERT_EQ(0, std::rename(dir.File("a.wav").c_str(), wav.c_str()));
    EXPECT_EQ(name, Field(wav, FIELD_TITLE));
    SetNativeAnsiCodePage(0);
}

}  // namespace
