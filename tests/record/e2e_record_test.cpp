// Recording as a user does it, watched from outside: a 997 Hz tone goes into the device's input,
// Record, Play, three seconds, Stop; then the file in the record folder is checked the way a
// player would read it, and Play plays it back (it is cued, the last entry of the list). Also the
// digital input's cable pulled mid-recording, and a deck killed mid-recording with wineserver -k.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include "record/record_test_util.h"
#include "resources/resource.h"

namespace {
using e2e::DECK_CLASS;
using e2e::DECK_TITLE;
using e2e::PowerAt;
using e2e::RATE;
using e2e::DEVICE_STATE;
using e2e::UnixPath;
using e2e::WAIT_MS;
using e2e::WinPath;
using e2e::WriteWave;
const double TONE_HZ = 997.0;
const char LIST_KEY[] = "HKCU\\SOFTWARE\\Kelvara\\Vornex USB\\Deck Controller\\ListInformation";

std::vector<int16_t> Tone(int ms, double hz = TONE_HZ) { return e2e::Tone(ms, hz); }

// Frequency of the left channel from its rising zero crossings, with hysteresis so that codec
// noise near silence does not count, over the recording without its first and last half second;
// framesOut receives the whole length in frames.
double Frequency(const std::string& pcmBytes, double rate, size_t* framesOut) {
    const int16_t ARM_BELOW = -2000;
    size_t frames = pcmBytes.size() / 4;
    size_t edge = (size_t)(rate / 2);
    size_t first = 0, last = 0, crossings = 0;
    bool armed = false;
    for (size_t i = edge; i + edge < frames; ++i) {
        int16_t s = SampleAt(pcmBytes, 4 * i);
        if (s < ARM_BELOW) armed = true;
        if (armed && s >= 0) {
            if (!crossings) first = i;
            last = i;
            ++crossings;
            armed = false;
        }
    }
    *framesOut = frames;
    return crossings > 1 ? (crossings - 1) * rate / (double)(last - first) : 0.0;
}

// Polls the deck's debug output (its status lines) until `text` shows after offset `from`;
// the position just past it, or npos when it did not show in time.
size_t WaitForStatus(const std::string& log, const std::string& text, size_t from, int timeoutMs) {
    const std::string line = "Quaverly Deck: " + text;
    size_t at = std::string::npos;
    e2e::WaitUntil([&] {
        std::string now = ReadAll(log);
        at = now.size() > from ? now.find(line, from) : std::string::npos;
        return at != std::string::npos;
    }, timeoutMs);
    return at == std::string::npos ? at : at + line.size();
}

class RecordE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartRig(&rig));
        DeckPlace place = MakeDeckPlace(rig);
        ASSERT_FALSE(place.folder.empty());
        folder = place.folder;
        simFile = place.simFile;
    }
    void TearDown() override { StopRig(&rig); }

    // The deck's settings for a plain recording in format into the rig's folder, without the
    // once-a-day notice and with auto recording off.
    void Configure(int format) {
        ASSERT_TRUE(SetDeckSettings(rig, folder,
                                    {{"RecordFormat", "REG_DWORD", std::to_string(format)},
                                     {"Mp3Bitrate", "REG_DWORD", "128"},
                                     {"Mp2Bitrate", "REG_DWORD", "192"}}));
        bytesPerSecond = format == 0 ? RATE * 4 : format == 3 ? 128000 / 8 : 192000 / 8;
    }
    // The deck with the given files; its debug output (the status lines) goes to deckLog.
    pid_t Start(const std::vector<std::string>& files = {}) {
        deckLog = rig.dir + "/deck-" + std::to_string(++starts) + ".log";
        pid_t deck = StartWine(rig, DeckExePath(), files, {"QD_USB_SIM=" + simFile, "WINEDEBUG=+debugstr"}, deckLog);
        EXPECT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, e2e::START_MS));
        return deck;
    }
    bool Command(int id) {
        int64_t result = 0;
        return SendWindowMessage(rig, DECK_CLASS, e2e::WM_COMMAND_, (uint64_t)id, 0, &result);
    }
    // Record, Play, until the record file (named by the deck's status) holds the given time, and
    // Stop unless told not to. After Stop it waits for the deck to show the recording cued as a
    // list entry ("#n ..."): the stop has then finished, the file is closed and the deck may be
    // closed.
    void RecordFor(int ms, bool stop = true) {
        ASSERT_TRUE(FeedPcm(rig, Tone(ms + 4000)));
        ASSERT_TRUE(Command(CMD_RECORD));
        ASSERT_TRUE(Command(CMD_PLAY));
        size_t recording = WaitForStatus(deckLog, "Recording S-", 0, WAIT_MS);
        ASSERT_NE(recording, std::string::npos) << ReadAll(deckLog);
        std::string log = ReadAll(deckLog), name = "S-";
        for (size_t i = recording; i < log.size() && (std::isalnum((unsigned char)log[i]) || log[i] == '.'); ++i)
            name += log[i];
        recordFile = folder + "/" + name;
        ASSERT_TRUE(WaitForFile(recordFile, WAIT_MS, (size_t)((long long)bytesPerSecond * ms / 1000)))
            << recordFile << " did not grow to " << ms << " ms";
        if (stop) {
            ASSERT_TRUE(Command(CMD_STOP));
            ASSERT_NE(WaitForStatus(deckLog, "#", recording, WAIT_MS), std::string::npos)
                << "no stopped status after Stop: " << ReadAll(deckLog).substr(recording);
        }
    }
    void Close(pid_t deck) {
        ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
        int code = -1;
        std::string report;
        EXPECT_TRUE(WaitClosed(rig, deck, WAIT_MS, WAIT_MS, &code, &report)) << report << "\ndeck's trace:\n"
                                                                           << ReadAll(deckLog);
    }
    Rig rig;
    std::string folder, simFile, deckLog, recordFile;
    int starts = 0;
    int bytesPerSecond = RATE * 4;  // of the record file, in the format configured
};

TEST_F(RecordE2E, WaveRecordingHoldsTheToneAndTheInputStatusAndIsCuedLastInTheList) {
    Configure(0);
    std::string earlier = rig.dir + "/earlier.wav";  // the list holds a 440 Hz track before
    WriteWave(earlier, Tone(3000, 440.0));
    pid_t deck = Start({WinPath(earlier)});
    ASSERT_TRUE(Command(CMD_STOP));  // the first file given plays at once
    RecordFor(3000);
    // Stop left the recording cued: Play plays it, not the track before it.
    std::string heard = rig.dir + "/played.raw";
    pid_t sink = StartSinkRecording(rig, heard);
    ASSERT_TRUE(Command(CMD_PLAY));
    e2e::WaitUntil([&] {
        std::string played = ReadAll(heard);
        return PowerAt(played, TONE_HZ) > 1000.0 && PowerAt(played, TONE_HZ) > 20 * PowerAt(played, 440.0);
    }, WAIT_MS, 250);
    StopSinkRecording(sink);
    Close(deck);

    std::string path = folder + "/S-001.WAV";
    std::string b = ReadAll(path);
    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok) << "S-001.WAV is there and its sizes hold";
    EXPECT_EQ(v.riffSize + 8, v.fileSize) << "the status item sits inside the RIFF form";
    EXPECT_EQ(v.rate, 44100u);
    EXPECT_EQ(v.channels, 2);
    EXPECT_GE(v.dataSize, 176400u * 2) << "about three seconds";
    // Stop takes a moment to arrive on a loaded machine, but it ends the recording well before
    // the seven seconds of tone fed in have run out.
    EXPECT_LE(v.dataSize, 176400u * 6);
    size_t frames = 0;
    EXPECT_NEAR(Frequency(v.audio, 44100, &frames), TONE_HZ, 3.0);
    size_t chst = b.find("CHST");
    ASSERT_NE(chst, std::string::npos) << "the input's channel status is stored";
    EXPECT_EQ(b.substr(chst + 8, 4), std::string("\x02\x82\x00\x02", 4));
    // What the device played is the recorded tone, not the track before it (the player may stutter
    // on a busy machine, so the tones' powers are compared rather than the crossings counted).
    std::string played = ReadAll(heard);
    EXPECT_GT(PowerAt(played, TONE_HZ), 20 * PowerAt(played, 440.0)) << "Play after Stop plays the recording";
    EXPECT_GT(PowerAt(played, TONE_HZ), 1000.0) << "and it is heard";

    // The unnamed list the deck left behind ends with the recording.
    std::string noName;
    ASSERT_TRUE(ReadRegistryValue(rig, LIST_KEY, "NoName", &noName));
    std::string list = ReadAll(UnixPath(noName)), last;
    std::istringstream lines(list);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != ';' && line != "\r") last = line;
    EXPECT_NE(list.find("earlier.wav"), std::string::npos) << list;
    EXPECT_NE(last.find("S-001.WAV"), std::string::npos) << list;
}

// The cable of the digital input is pulled while recording: the device delivers no samples and
// reports no lock. The deck says "Din Unlocked", keeps the recording, and goes on when it is back.
TEST_F(RecordE2E, APulledDigitalCableShowsDinUnlockedAndTheRecordingGoesOn) {
    Configure(0);
    pid_t deck = Start();
    RecordFor(1000, false);
    size_t at = WaitForStatus(deckLog, "Recording S-001.WAV", 0, WAIT_MS);
    ASSERT_NE(at, std::string::npos) << ReadAll(deckLog);
    std::string unlocked = DEVICE_STATE;
    unlocked.replace(unlocked.find("reg 7 6"), 7, "reg 7 0");
    ASSERT_TRUE(SetInputPlugged(rig, false));
    std::ofstream(simFile) << unlocked;
    at = WaitForStatus(deckLog, "Din Unlocked", at, WAIT_MS);
    EXPECT_NE(at, std::string::npos) << "pulling the cable shows it";
    std::ofstream(simFile) << DEVICE_STATE;
    ASSERT_TRUE(FeedPcm(rig, Tone(4000)));
    ASSERT_TRUE(SetInputPlugged(rig, true));
    EXPECT_NE(WaitForStatus(deckLog, "Recording S-001.WAV", at == std::string::npos ? 0 : at, WAIT_MS), std::string::npos)
        << "plugging it back shows the recording again";
    // A second and a half more of the tone on the disk.
    struct stat st = {};
    stat(recordFile.c_str(), &st);
    EXPECT_TRUE(WaitForFile(recordFile, WAIT_MS, (size_t)st.st_size + RATE * 4 * 3 / 2));
    ASSERT_TRUE(Command(CMD_STOP));
    Close(deck);
    WaveView v = ViewWave(folder + "/S-001.WAV");
    ASSERT_TRUE(v.ok) << "the recording is kept";
    size_t frames = 0;
    EXPECT_NEAR(Frequency(v.audio, 44100, &frames), TONE_HZ, 3.0);
}

TEST_F(RecordE2E, MpegRecordingsDecodeToTheTone) {
    const bool haveMpg123 = HaveTool("mpg123"), haveFfmpeg = HaveTool("ffmpeg");
    if (std::getenv("CI")) {
        ASSERT_TRUE(haveMpg123 && haveFfmpeg) << "setup.sh installs mpg123 and ffmpeg";
    } else if (!haveMpg123 || !haveFfmpeg) {
        GTEST_SKIP() << "mpg123 or ffmpeg missing";
    }
    const struct {
        int format;
        const char* file;
    } runs[] = {
        {3, "S-001.MP3"},
        {2, "S-002.MP2"}
    };
    for (const auto& run : runs) {
        Configure(run.format);
        pid_t deck = Start();
        RecordFor(3000);
        Close(deck);
        std::string recorded = folder + "/" + run.file;
        ASSERT_TRUE(PathExists(recorded)) << run.file;
        // The title trailer closes the file: its chunks, then their length and "MEXT", with the
        // input's status among them. It rides in the last frame, so the decoders and mp3val
        // take the whole file without a complaint.
        std::string b = ReadAll(recorded);
        ASSERT_GT(b.size(), 8u);
        ASSERT_EQ(b.substr(b.size() - 4), "MEXT") << run.file;
        size_t trailer = b.size() - 8 - Le32At(b, b.size() - 8);
        size_t chst = b.find("CHST", trailer);
        ASSERT_NE(chst, std::string::npos) << run.file;
        EXPECT_EQ(b.substr(chst + 8, 4), std::string("\x02\x82\x00\x02", 4)) << run.file;
        if (HaveTool("mp3val")) {
            std::string checked = rig.dir + "/mp3val.txt";
            const std::string cmd = "mp3val '" + recorded +
                                    "' | grep WARNING | grep -v 'No supported tags' | grep -v 'Non-layer-III' > '" +
                                    checked + "'";
            std::system(cmd.c_str());
            EXPECT_EQ(ReadAll(checked), "") << run.file;
        } else {
            EXPECT_EQ(std::getenv("CI"), nullptr) << "setup.sh installs mp3val";
        }
        std::string raw = rig.dir + "/decoded.raw";
        std::string errors = rig.dir + "/mpg123.err";
        EXPECT_EQ(std::system(("mpg123 -q -s '" + recorded + "' > '" + raw + "' 2> '" + errors + "'").c_str()), 0);
        EXPECT_EQ(ReadAll(errors), "") << run.file;
        size_t frames = 0;
        EXPECT_NEAR(Frequency(ReadAll(raw), 44100, &frames), TONE_HZ, 3.0) << run.file << " through mpg123";
        EXPECT_GE(frames, 44100u * 2) << run.file;
        std::string ff =
            "ffmpeg -v error -i '" + recorded + "' -f s16le -ac 2 -ar 44100 -y '" + raw + "' 2> '" + errors + "'";
        EXPECT_EQ(std::system(ff.c_str()), 0);
        EXPECT_EQ(ReadAll(errors), "") << run.file;
        EXPECT_NEAR(Frequency(ReadAll(raw), 44100, &frames), TONE_HZ, 3.0) << run.file << " through ffmpeg";
    }
}

TEST_F(RecordE2E, KillingWineMidRecordingLeavesAPlayableWave) {
    Configure(0);
    pid_t deck = Start();
    RecordFor(3000, false);
    std::string kill = "WINEPREFIX='" + rig.winePrefix + "' wineserver -k";
    ASSERT_EQ(std::system(kill.c_str()), 0);
    int code = -1;
    WaitExit(deck, WAIT_MS, &code);
    WaveView v = ViewWave(folder + "/S-001.WAV");
    ASSERT_TRUE(v.ok);
    EXPECT_GE(v.dataSize, 176400u * 3 / 2) << "at most a second lost of three";
    EXPECT_EQ(v.riffSize, v.dataSize + 38);
    size_t frames = 0;
    EXPECT_NEAR(Frequency(v.audio, 44100, &frames), TONE_HZ, 3.0);
}
}  // namespace
