// The record file writers on real files: the WAVE layout byte for byte, the size limit, a write
// that fails at any point, the format rewrite, and MPEG through the encoder library (ending with
// the frame that carries the title trailer, so outside tools find nothing to complain about).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/titles.h"
#include "enc_encoder.h"
#include "mpa_header.h"
#include "playback/mpeg_libraries.h"
#include "record/capture.h"
#include "record/record_disk.h"
#include "record/record_writer.h"
#include "record/wave_file.h"
#include "record/wave_in.h"
#include "record_test_util.h"

namespace {
enum { BUFFER_44K = 17640 };

RecordFormat Format(uint16_t kind, uint32_t rate, uint32_t kbps = 0) {
    RecordFormat f{};
    f.kind = kind;
    f.mode = 1;
    f.channels = 2;
    f.sampleRate = rate;
    f.bits = 16;
    f.bitrateKbps = kbps;
    return f;
}

// Buffer n of the counter signal (frame numbers continue from buffer to buffer).
std::vector<uint8_t> CounterBuffer(uint32_t n, uint32_t bytes) {
    std::vector<uint8_t> b(bytes);
    uint32_t frame = n * (bytes / 4);
    for (uint32_t i = 0; i < bytes / 4; ++i, ++frame) {
        int16_t l = (int16_t)(frame & 0x7FFF), r = (int16_t)-l;
        std::memcpy(&b[4 * i], &l, 2);
        std::memcpy(&b[4 * i + 2], &r, 2);
    }
    return b;
}

// Frames from the first byte of b to its last, each whole; -1 when anything else is in between.
int WholeMpegFrames(const std::string& b, int* samplesOut) {
    size_t at = 0;
    int frames = 0;
    *samplesOut = 0;
    while (at + 4 <= b.size()) {
        MpaHeader h;
        uint32_t word = (uint32_t)(uint8_t)b[at] << 24 | (uint32_t)(uint8_t)b[at + 1] << 16 |
                        (uint32_t)(uint8_t)b[at + 2] << 8 | (uint8_t)b[at + 3];
        if (!MpaParseHeader(word, &h) || at + (size_t)h.frameBytes > b.size()) return -1;
        at += (size_t)h.frameBytes;
        *samplesOut += h.samples;
        frames++;
    }
    return at == b.size() ? frames : -1;
}

class WriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRecordWriterForTest();
        ResetCaptureForTest();
        SetWaveFailureForTest(0);
        SetMpegLibrariesForTest(1, 1);
        LoadMpegLibraries();
        folder = ScratchFolder("writer");
        path = folder + "/S-001.WAV";
    }
    void TearDown() override {
        SetWaveFailureForTest(0);
        ResetRecordWriterForTest();
        std::system(("rm -rf " + folder).c_str());
    }
    // Feeds n counter buffers; returns the first result that was not RECORD_WRITE_OK (or RECORD_WRITE_OK).
    int Feed(int n, uint32_t bytes = BUFFER_44K) {
        for (int i = 0; i < n; ++i) {
            std::vector<uint8_t> b = CounterBuffer((uint32_t)i, bytes);
            int r = WriteBuffer(b.data(), bytes, &firstData);
            if (r != RECORD_WRITE_OK) return r;
        }
        return RECORD_WRITE_OK;
    }
    void Close() {
        CloseDataChunk();
        CloseRecordFile(0);
    }
    // A record file of this format at file, ready for buffers, as the capture prepares one.
    static void Begin(const std::string& file, uint16_t kind = RECORD_KIND_PCM, uint32_t rate = 44100,
                      uint32_t kbps = 0) {
        ASSERT_EQ(SetRecordFormat(Format(kind, rate, kbps)), 1);
        ASSERT_EQ(SetRecordTarget(file.c_str()), 1);
        ASSERT_EQ(AllocateEncoderBuffers(), 1);
        if (kind != RECORD_KIND_PCM) ResetEncoderForWriting();
    }
    // A closed WAVE file whose header describes exactly the file, holding the counter signal
    // from its start; returns its view.
    WaveView ExpectWholeWave() {
        WaveView v = ViewWave(path);
        EXPECT_TRUE(v.ok);
        EXPECT_EQ(v.fileSize, 46u + v.dataSize) << "nothing torn after the audio";
        EXPECT_EQ(v.riffSize + 8, v.fileSize);
        EXPECT_EQ(CounterFramesInOrder(v.audio), v.dataSize / 4u);
        return v;
    }
    std::string folder, path;
    uint16_t firstData = 0;
};

TEST_F(WriterTest, WaveLayoutAfterTwoAndAHalfSeconds) {
    Begin(path);
    EXPECT_EQ(SetRecordTarget(path.c_str()), 0) << "a second target while one is set";
    EXPECT_EQ(RecordBufferBytes(), (uint32_t)BUFFER_44K);
    EXPECT_EQ(ReadAll(path), "") << "no file before the first buffer";
    ASSERT_EQ(Feed(25), RECORD_WRITE_OK);
    EXPECT_EQ(firstData, 1);
    Close();

    std::string b = ReadAll(path);
    ASSERT_EQ(b.size(), 46u + 441000u);
    EXPECT_EQ(Le32At(b, 4), 441038u);
    EXPECT_EQ(Le32At(b, 16), 18u);
    EXPECT_EQ(Le16At(b, 20), 1);
    EXPECT_EQ(Le16At(b, 22), 2);
    EXPECT_EQ(Le32At(b, 24), 44100u);
    EXPECT_EQ(Le32At(b, 28), 176400u);
    EXPECT_EQ(Le16At(b, 32), 4);
    EXPECT_EQ(Le16At(b, 34), 16);
    EXPECT_EQ(Le16At(b, 36), 0);
    EXPECT_EQ(b.substr(38, 4), "data");
    EXPECT_EQ(Le32At(b, 42), 441000u);
    WaveView v = ViewWave(path);
    EXPECT_EQ(CounterFramesInOrder(v.audio), 441000u / 4);
    EXPECT_EQ(PcmBytesWritten(), 441000u);
    char target[RECORD_PATH_BYTES];
    GetRecordTarget(target);
    EXPECT_STREQ(target, "") << "closing clears the target";
}

TEST_F(WriterTest, HeaderIsTrueEverySecondWhileRecording) {
    Begin(path);
    for (int n = 1; n <= 35; ++n) {
        std::vector<uint8_t> b = CounterBuffer((uint32_t)n - 1, BUFFER_44K);
        ASSERT_EQ(WriteBuffer(b.data(), BUFFER_44K, &firstData), RECORD_WRITE_OK);
        WaveView v = ViewWave(path);  // what a player would read if the process died now
        ASSERT_TRUE(v.ok) << n;
        EXPECT_GE(v.dataSize + 176400u, (uint32_t)n * BUFFER_44K) << "at most a second behind, buffer " << n;
        EXPECT_EQ(v.riffSize, v.dataSize + 38) << n;
    }
    Close();
}

TEST_F(WriterTest, AWriteFailingAtAnyPointLeavesAPlayableFile) {
    int completed = 0;
    for (int nth = 1; nth < 200 && !completed; ++nth) {
        ResetRecordWriterForTest();
        std::remove(path.c_str());
        firstData = 0;
        Begin(path);
        SetWaveFailureForTest(nth);
        int result = Feed(25);
        Close();
        SetWaveFailureForTest(0);
        completed = result == RECORD_WRITE_OK;
        std::string b = ReadAll(path);
        if (b.empty()) {
            EXPECT_EQ(result, RECORD_WRITE_FAILED) << nth << ": no file only when creating it failed";
            continue;
        }
        SCOPED_TRACE(testing::Message() << "failure at operation " << nth);
        WaveView v = ExpectWholeWave();
        EXPECT_EQ(v.dataSize % 4, 0u);
        EXPECT_EQ(PcmBytesWritten(), v.dataSize) << "the recorded time matches the file";
        if (!completed) {
            EXPECT_EQ(result, RECORD_WRITE_FAILED) << nth;
        }
    }
    EXPECT_TRUE(completed) << "the failure points ran out before the recording did";
}

// Another program fills the disk during the recording: the write that hits it is torn, and
// every flush and the close fail after it. The file is still cut to the audio its header counts.
TEST_F(WriterTest, ADiskFilledMidRecordingLeavesNoTornTail) {
    for (int nth = 2; nth <= 6; ++nth) {
        SCOPED_TRACE(nth);
        ResetRecordWriterForTest();
        std::remove(path.c_str());
        firstData = 0;
        Begin(path);
        SetWaveDiskFullForTest(nth);
        EXPECT_EQ(Feed(25), RECORD_WRITE_FAILED);
        Close();
        SetWaveFailureForTest(0);
        EXPECT_GE(ExpectWholeWave().dataSize, (uint32_t)(nth - 2) * BUFFER_44K);
    }
}

TEST_F(WriterTest, FormatRewrittenInPlaceBeforeAudio) {
    Begin(path);
    ASSERT_EQ(OpenRecordFile(), 1);
    ASSERT_EQ(SetRecordFormat(Format(RECORD_KIND_PCM, 48000)), 1);
    ASSERT_EQ(Feed(3, 19200), RECORD_WRITE_OK);
    Close();
    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok);
    EXPECT_EQ(v.rate, 48000u);
    EXPECT_EQ(v.dataSize, 3u * 19200u);
}

TEST_F(WriterTest, SizeLimitStopsWithACompleteFile) {
    Begin(path);
    ASSERT_EQ(Feed(1), RECORD_WRITE_OK);
    SetByteCountersForTest(RECORD_SIZE_LIMIT - 2 * BUFFER_44K, 0);
    EXPECT_EQ(Feed(1), RECORD_WRITE_OK);
    EXPECT_EQ(Feed(1), RECORD_WRITE_LIMIT) << "the buffer that reaches the limit ends the recording";
    Close();
    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok);
    EXPECT_EQ(v.dataSize, 3u * BUFFER_44K);
}

TEST_F(WriterTest, MpegFormatsAskTheEncoder) {
    EXPECT_EQ(SetRecordFormat(Format(3, 44100, 128)), 1);
    EXPECT_EQ(SetRecordFormat(Format(4, 44100, 128)), 0) << "layer 4 is refused by the encoder";
    SetMpegLibrariesForTest(1, 0);
    LoadMpegLibraries();
    EXPECT_EQ(SetRecordFormat(Format(2, 44100, 192)), 0) << "no encoder library, no MPEG format";
    EXPECT_EQ(SetRecordFormat(Format(RECORD_KIND_PCM, 44100)), 1);
}

TEST_F(WriterTest, MpegFileHoldsWholeFramesAndCountsBothSides) {
    std::string mp3 = folder + "/S-001.MP3";
    Begin(mp3, 3, 44100, 128);
    ASSERT_EQ(Feed(30), RECORD_WRITE_OK);
    EXPECT_EQ(PcmBytesWritten(), 30u * BUFFER_44K);
    uint32_t duringRecording = MpegBytesWritten();
    EXPECT_GT(duringRecording, 30u * 128000u / 8u / 10u * 8u / 10u) << "about 3 s at 128 kbit/s";
    EXPECT_EQ(ReadAll(mp3).size(), (size_t)duringRecording) << "every pass is on the disk";
    int samples = 0;
    EXPECT_GT(WholeMpegFrames(ReadAll(mp3), &samples), 0) << "and holds whole frames only";
}
// The encoder holds back what does not yet fill a frame; closing must write it, so the file
// holds every frame up to the one with the last sample fed (behind the codec's own delay),
// followed by the one silent frame that carries the title trailer.
TEST_F(WriterTest, MpegCloseWritesTheHeldBackTail) {
    std::string mp3 = folder + "/S-002.MP3";
    Begin(mp3, 3, 44100, 128);
    ASSERT_EQ(Feed(7), RECORD_WRITE_OK);  // 30,870 samples: not a whole number of 1,152-sample frames
    int samples = 0;
    int before = WholeMpegFrames(ReadAll(mp3), &samples);
    ASSERT_GT(before, 0);
    CloseRecordFile(1);
    const int fed = 7 * 4410, frameSamples = 1152, carrierFrames = 1;
    EXPECT_EQ((fed + EncCodecDelay(3) + frameSamples - 1) / frameSamples + carrierFrames,
              WholeMpegFrames(ReadAll(mp3), &samples))
        << before << " frames before the close";
}
// A buffer is a tenth of a second whatever the shape of the sound: channels, rate and sample
// size each count on their own.
TEST_F(WriterTest, ABufferHoldsATenthOfASecondInEveryFormat) {
    const struct {
        uint16_t channels, bits;
        uint32_t rate, bytes;
    } cases[] = {
        {2, 16, 44100, 17640},
        {1, 16, 48000, 9600 },
        {2, 8,  32000, 6400 },
        {1, 8,  44100, 4410 },
    };
    for (const auto& c : cases) {
        RecordFormat f = Format(RECORD_KIND_PCM, c.rate);
        f.channels = c.channels;
        f.bits = c.bits;
        ASSERT_EQ(SetRecordFormat(f), 1);
        EXPECT_EQ(c.bytes, RecordBufferBytes()) << c.channels << " x " << c.bits << " bits at " << c.rate;
    }
}
// Closing syncs each kind of record file after its last byte, the MPEG tail and the WAVE
// header's final sizes included, so a power cut after Stop keeps the whole recording.
TEST_F(WriterTest, CloseSyncsTheFileAfterItsLastByte) {
    struct Case {
        uint16_t kind;
        const char* name;
    };
    for (const Case& c : {Case{RECORD_KIND_PCM, "S-003.WAV"}, Case{3, "S-003.MP3"}}) {
        std::string file = folder + "/" + c.name;
        Begin(file, c.kind, 44100, 128);
        ASSERT_EQ(Feed(5), RECORD_WRITE_OK);
        Close();
        EXPECT_EQ(ReadAll(file).size(), LastSyncedSize()) << c.name;
    }
}
// The deck stores the input's channel status after closing a recording. The trailer must stay
// at the very end where the title reader looks, and still be part of the last frame: ffmpeg and
// mp3val read the file without a complaint, the frames before it decode to the same samples.
TEST_F(WriterTest, MpegRecordingsEndInAValidFrameCarryingTheTrailer) {
    const bool tools = HaveTool("ffmpeg") && HaveTool("mp3val");
    if (!tools && std::getenv("CI")) FAIL() << "setup.sh installs ffmpeg and mp3val";
    const struct {
        uint16_t layer;
        uint32_t kbps;
        const char* name;
    } runs[] = {{1, 192, "S-001.MP1"}, {2, 64, "S-002.MP2"}, {3, 32, "S-003.MP3"}, {3, 320, "S-004.MP3"}};
    for (const auto& run : runs) {
        const std::string file = folder + "/" + run.name;
        ResetRecordWriterForTest();
        Begin(file, run.layer, 44100, run.kbps);
        ASSERT_EQ(Feed(12), RECORD_WRITE_OK);
        CloseRecordFile(1);
        const size_t recorded = ReadAll(file).size();
        const char status[5] = {'\x02', '\x82', '\x00', '\x02', 0};
        ASSERT_EQ(SetTitleField(file.c_str(), FIELD_CHANNEL_STATUS, status, 4), 1) << run.name;
        const std::string b = ReadAll(file);
        ASSERT_EQ(b.size(), recorded) << run.name << ": the status is written in place";
        EXPECT_EQ(b.substr(b.size() - 12), std::string("\x02\x82\x00\x02\x18\x00\x00\x00MEXT", 12)) << run.name;
        char got[TITLE_FIELD_MAX_BYTES] = {};
        EXPECT_EQ(GetTitleField(file.c_str(), FIELD_CHANNEL_STATUS, got, SOURCE_TRAILER), 1) << run.name;
        EXPECT_EQ(std::memcmp(got, status, 4), 0) << run.name;
        if (!tools) continue;
        const std::string log = folder + "/tools.txt";
        EXPECT_EQ(std::system(("ffmpeg -v error -i '" + file + "' -f null - > '" + log + "' 2>&1").c_str()), 0);
        EXPECT_EQ(ReadAll(log), "") << run.name;
        // mp3val says "WARNING" for files without tags and for every layer but III: no fault
        std::system(("mp3val '" + file + "' | grep WARNING | grep -v 'No supported tags' | grep -v "
                     "'Non-layer-III' > '" + log + "'").c_str());
        EXPECT_EQ(ReadAll(log), "") << run.name;
    }
}
}  // namespace
