// Playing a list under Wine, heard from outside: the deck's output is recorded from the virtual
// device's monitor and cut into tone segments, so the order of the tracks, the gaps between them
// and the skipping of a missing file are checked on the sound itself. Each file is a tone of its
// own frequency; a segment is a run of 100 ms windows whose strongest tone is that file's.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include "hardware/usb_sim.h"

namespace {
using e2e::DECK_CLASS;
using e2e::DECK_TITLE;
using e2e::SETTINGS_KEY;
const char MCI_EXTENSIONS_KEY[] = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions";
const char DEVICE_STATE[] =
    "hcd 0 ROOT0\n"
    "hub ROOT0 4 {36fc9e60-c465-11cf-8056-444553540000}\\0000 USB Root Hub\n"
    "port ROOT0 2 vornex {4d36e96c-e325-11ce-bfc1-08002be10318}\\0000 Kelvara Vornex USB\n";
using e2e::RATE;
using e2e::START_MS;
const int WINDOW_FRAMES = RATE / 10;  // 100 ms
const int MIN_SEGMENT_WINDOWS = 4;    // shorter runs are transitions, not tracks
const double SILENCE_RMS = 200;

struct Tone {
    char label;
    double hz;
};
const Tone TONES[] = {
    {'A', 440 },
    {'B', 700 },
    {'C', 1000},
    {'D', 1300}
};

struct Segment {
    char label;
    int startMs, lengthMs;
    int soundMs;  // of the track's tone within the segment, without the dropouts inside it
};

// A tone of the given length.
void WriteTone(const std::string& path, double hz, int ms) { e2e::WriteWave(path, e2e::Tone(ms, hz)); }

// Power of one frequency in a window (Goertzel), i.e. the window's correlation with that tone.
double TonePower(const int16_t* left, int count, double hz) {
    double k = 2 * std::cos(2 * M_PI * hz / RATE), s1 = 0, s2 = 0;
    for (int i = 0; i < count; ++i) {
        double s = left[2 * i] + k * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return s1 * s1 + s2 * s2 - k * s1 * s2;
}

std::vector<Segment> Segments(const std::vector<int16_t>& pcm) {
    std::vector<char> labels;
    for (size_t start = 0; start + 2 * WINDOW_FRAMES <= pcm.size(); start += 2 * WINDOW_FRAMES) {
        const int16_t* w = pcm.data() + start;
        double energy = 0;
        for (int i = 0; i < WINDOW_FRAMES; ++i) energy += (double)w[2 * i] * w[2 * i];
        char label = '.';
        if (std::sqrt(energy / WINDOW_FRAMES) >= SILENCE_RMS) {
            double best = -1;
            for (const Tone& t : TONES) {
                double p = TonePower(w, WINDOW_FRAMES, t.hz);
                if (p > best) best = p, label = t.label;
            }
        }
        labels.push_back(label);
    }
    std::vector<Segment> segments;
    for (size_t i = 0; i < labels.size();) {
        size_t j = i;
        while (j < labels.size() && labels[j] == labels[i]) ++j;
        if (labels[i] != '.' && j - i >= (size_t)MIN_SEGMENT_WINDOWS) {
            // A dropout inside one track (a loaded machine's underrun) does not split it.
            if (!segments.empty() && segments.back().label == labels[i]) {
                segments.back().lengthMs = (int)j * 100 - segments.back().startMs;
                segments.back().soundMs += (int)(j - i) * 100;
            } else {
                segments.push_back({labels[i], (int)i * 100, (int)(j - i) * 100, (int)(j - i) * 100});
            }
        }
        i = j;
    }
    return segments;
}

std::string Labels(const std::vector<Segment>& segments) {
    std::string s;
    for (const Segment& g : segments) s += g.label;
    return s;
}

class DeckPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PathExists(DeckExePath()) || !PathExists(WintoolExePath()))
            GTEST_SKIP() << "Windows build missing: " << DeckExePath();
        ASSERT_TRUE(StartRig(&rig));
        simFile = rig.dir + "/usb-host.txt";
        std::ofstream(simFile) << DEVICE_STATE;
    }
    void TearDown() override {
        if (recorder > 0) StopSinkRecording(recorder);
        for (pid_t p : started) StopProcess(p);
        StopRig(&rig);
    }
    std::string Tone(char label, int ms) {
        std::string path = rig.dir + "/" + label + ".wav";
        for (const ::Tone& t : TONES)
            if (t.label == label) WriteTone(path, t.hz, ms);
        return path;
    }
    void SetSetting(const std::string& name, int value) {
        ASSERT_TRUE(SetRegistryValues(rig, SETTINGS_KEY, {{name, "REG_DWORD", std::to_string(value)}})) << name;
    }
    pid_t Deck(const std::vector<std::string>& files) {
        std::vector<std::string> args;
        for (const std::string& f : files) args.push_back(e2e::WinPath(f));
        pid_t p = StartDeck(rig, args, {std::string(USB_SIM_ENV) + "=" + simFile});
        started.push_back(p);
        return p;
    }
    void Record() {
        sinkFile = rig.dir + "/sink.raw";
        recorder = StartSinkRecording(rig, sinkFile);
        ASSERT_GT(recorder, 0);
    }
    // Waits until the recording holds `labels` in order (dismissing the deck's message boxes on
    // the way); returns the segments heard.
    std::vector<Segment> WaitForSequence(const std::string& labels, int timeoutMs) {
        std::vector<Segment> heard;
        e2e::WaitUntil([&] {
            for (const MessageBoxInfo& box : ListMessageBoxes(rig)) {
                if (box.caption == DECK_TITLE) {
                    boxes.push_back(box.text);
                    PressMessageBox(rig, box, "OK");
                }
            }
            heard = Segments(ReadPcmFile(sinkFile));
            return Labels(heard).find(labels) != std::string::npos;
        }, timeoutMs, 500);
        return heard;
    }
    // How long the recording has gone on after the end of the last segment heard, in ms.
    int MsSinceLastSegment() {
        std::vector<int16_t> pcm = ReadPcmFile(sinkFile);
        std::vector<Segment> heard = Segments(pcm);
        int recordedMs = (int)(pcm.size() / 2 * 1000 / RATE);
        return heard.empty() ? 0 : recordedMs - (heard.back().startMs + heard.back().lengthMs);
    }
    std::vector<std::string> DeviceWrites() {
        SimModel m;
        LoadSimFile(simFile.c_str(), &m);
        return m.wrote;
    }

    Rig rig;
    std::string simFile, sinkFile;
    pid_t recorder = -1;
    std::vector<pid_t> started;
    std::vector<std::string> boxes;
};

// The command line's files play in order with the MiniDisc gap between them, the missing one is
// skipped, and the deck needs nothing installed: no MCI type is registered for the silence files.
TEST_F(DeckPlayback, CommandLineFilesPlayInOrderWithTheGapAndSkipAMissingOne) {
    if (std::system("command -v lame >/dev/null 2>&1") != 0) {
        if (std::getenv("CI")) FAIL() << "lame is missing (scripts/setup.sh installs it)";
        GTEST_SKIP() << "lame is not installed";
    }
    RunWine(rig, "reg", {"delete", MCI_EXTENSIONS_KEY, "/v", "$$$", "/f"}, 60000);
    std::string wave = Tone('A', 2000), mp3 = rig.dir + "/B.mp3";
    std::string source = Tone('B', 2000);
    ASSERT_EQ(0, std::system(("lame --silent -b 128 '" + source + "' '" + mp3 + "'").c_str()));
    std::remove(source.c_str());
    SetSetting("PlaySpace", 1);  // "for MD"

    Record();
    Deck({wave, rig.dir + "/missing.wav", mp3});
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    std::vector<Segment> heard = WaitForSequence("AB", 2 * e2e::WAIT_MS);
    // The list has ended once the device got the MD mark a second time and then the saved status
    // block; a dropout of the sound server inside the MP3 may look like its end.
    e2e::WaitUntil([&] {
        std::vector<std::string> outs;
        int marks = 0;
        for (const std::string& w : DeviceWrites())
            if (w.rfind("out ", 0) == 0) outs.push_back(w), marks += w == "out 1 22";
        return marks >= 2 && outs.size() >= 4 &&
               std::vector<std::string>(outs.end() - 4, outs.end()) ==
                   std::vector<std::string>{"out 0 0", "out 1 150", "out 2 0", "out 3 0"};
    }, e2e::WAIT_MS, 250);
    heard = Segments(ReadPcmFile(sinkFile));
    ASSERT_EQ(Labels(heard), "AB") << "boxes: " << boxes.size();
    // The whole of each track, once: a loaded machine's sound server may stretch a track by what
    // it repeats when it runs short, never to a second playing of it.
    for (const Segment& g : heard) {
        EXPECT_GE(g.soundMs, 1500) << g.label;
        EXPECT_LE(g.soundMs, 3000) << g.label;
    }
    int gap = heard[1].startMs - (heard[0].startMs + heard[0].lengthMs);
    EXPECT_GE(gap, 3500) << "about four seconds of silence between the tracks";
    EXPECT_LE(gap, 5500);
    for (const std::string& text : boxes) EXPECT_EQ(text.find("Fail to initialize"), std::string::npos) << text;

    // The MiniDisc mark went out, and after it the track's own status again.
    std::vector<std::string> writes = DeviceWrites();
    size_t mark = 0;
    while (mark < writes.size() && writes[mark] != "out 1 22") ++mark;
    ASSERT_LT(mark, writes.size()) << "no MD mark";
    size_t restored = mark + 1;
    while (restored < writes.size() && (writes[restored].rfind("out 1 ", 0) != 0 || writes[restored] == "out 1 22"))
        ++restored;
    ASSERT_LT(restored, writes.size()) << "the track's status did not follow the mark";
    // The list then ended: the MD mark once more, and last the saved block 0, 150, 0, 0.
    size_t endMark = restored + 1;
    while (endMark < writes.size() && writes[endMark] != "out 1 22") ++endMark;
    ASSERT_LT(endMark, writes.size()) << "no MD mark at the end of the list";
    std::vector<std::string> last;
    for (size_t i = endMark + 1; i < writes.size(); ++i)
        if (writes[i].rfind("out ", 0) == 0) last.push_back(writes[i]);
    ASSERT_GE(last.size(), 4u);
    std::string all;
    for (const std::string& w : writes) all += w + "; ";
    EXPECT_EQ(std::vector<std::string>(last.end() - 4, last.end()),
              (std::vector<std::string>{"out 0 0", "out 1 150", "out 2 0", "out 3 0"}))
        << all;
}

// Repeat all goes from the last track back to the first; a second start hands its files over:
// the first replaces the list and plays, the next is appended and follows it.
TEST_F(DeckPlayback, RepeatAllWrapsAndASecondStartHandsItsFilesOver) {
    SetSetting("PlaySpace", 0);
    SetSetting("Repeat", 2);
    std::string a = Tone('A', 1500), b = Tone('B', 1500), c = Tone('C', 1500), d = Tone('D', 1500);
    Record();
    pid_t deck = Deck({a, b});
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    std::vector<Segment> heard = WaitForSequence("ABA", e2e::WAIT_MS);
    ASSERT_NE(Labels(heard).find("ABA"), std::string::npos) << Labels(heard);

    pid_t second = Deck({c, d});
    int code = -1;
    ASSERT_TRUE(WaitExit(second, e2e::WAIT_MS, &code));
    EXPECT_EQ(0, code);
    heard = WaitForSequence("CDC", e2e::WAIT_MS);
    std::string labels = Labels(heard);
    size_t handed = labels.find('C');
    ASSERT_NE(handed, std::string::npos) << labels;
    EXPECT_EQ(labels.substr(handed, 3), "CDC") << labels;
    EXPECT_EQ(labels.find_first_of("AB", handed), std::string::npos) << "the old list is gone: " << labels;

    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    ASSERT_TRUE(WaitExit(deck, e2e::WAIT_MS, &code));
    EXPECT_EQ(0, code);
}

// The transport keys reach the deck as WM_COMMAND from outside the window, the way the face's
// buttons and the accelerators send them: Next moves on, Stop silences, Play starts again.
TEST_F(DeckPlayback, TransportCommandsSentToTheWindowDriveThePlayer) {
    using e2e::WM_COMMAND_;
    SetSetting("PlaySpace", 0);
    std::string a = Tone('A', 8000), b = Tone('B', 8000);
    Record();
    Deck({a, b});
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    ASSERT_EQ(Labels(WaitForSequence("A", e2e::WAIT_MS)), "A");

    ASSERT_TRUE(SendWindowMessage(rig, DECK_CLASS, WM_COMMAND_, CMD_NEXT, 0, nullptr));
    ASSERT_EQ(Labels(WaitForSequence("AB", e2e::WAIT_MS)), "AB");

    ASSERT_TRUE(SendWindowMessage(rig, DECK_CLASS, WM_COMMAND_, CMD_STOP, 0, nullptr));
    // Stopped, the recording goes on in silence.
    e2e::WaitUntil([&] { return MsSinceLastSegment() >= 2000; }, e2e::WAIT_MS, 250);
    std::vector<Segment> heard = Segments(ReadPcmFile(sinkFile));
    ASSERT_EQ(Labels(heard), "AB");
    int sinceB = (int)(ReadPcmFile(sinkFile).size() / 2 * 1000 / RATE) - (heard[1].startMs + heard[1].lengthMs);
    EXPECT_GE(sinceB, 2000) << "Stop silenced the player";
    EXPECT_LT(heard[1].soundMs, 7000) << "B was stopped before its end";

    int playSentMs = (int)(ReadPcmFile(sinkFile).size() / 2 * 1000 / RATE);
    ASSERT_TRUE(SendWindowMessage(rig, DECK_CLASS, WM_COMMAND_, CMD_PLAY, 0, nullptr));
    bool again = e2e::WaitUntil([&] {
        heard = Segments(ReadPcmFile(sinkFile));
        return Labels(heard) == "AB" && heard[1].startMs + heard[1].lengthMs > playSentMs + 1000;
    }, e2e::WAIT_MS, 500);
    EXPECT_TRUE(again) << "Play started B again: " << Labels(heard);
}
}  // namespace
