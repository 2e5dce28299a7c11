// The deck on the screens and systems its users have: the virtual display at 8, 16 and 24 bits per
// pixel, Wine reporting Windows 98, XP, 7 or 10 to the deck, at 96 and 144 dots per inch. In each,
// the deck starts without a box, draws the skin variant for the screen's depth (the 16-colour
// pictures up to 256 colours, the 256-colour ones above), plays a WAVE and an MP3, and records a
// WAVE. The Quick set runs with the other tests; scripts/matrix.sh runs them all and keeps a
// picture of each face in docs/.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "e2e/rig.h"
#include "record/record_test_util.h"
#include "resources/resource.h"

namespace {
const int RATE = 44100;
const char DECK_CLASS[] = "Vornex_Deck_Controller";
const char SETTINGS_KEY[] = "HKCU\\SOFTWARE\\Kelvara\\Vornex USB\\Deck Controller\\Settings";
const char DESKTOP_KEY[] = "HKCU\\Control Panel\\Desktop";
const char APP_DEFAULTS_KEY[] = "HKCU\\Software\\Wine\\AppDefaults";
const unsigned WM_COMMAND_MSG = 0x0111;
const int FACE_W = 400, FACE_H = 105;

struct Config {
    int depth;
    const char* windows;  // Wine's name of the version it reports
    int dpi;
    unsigned platform, major, minor;  // what a program is then told
};

std::string Name(const Config& c) {
    return std::to_string(c.depth) + "bit-" + c.windows + "-" + std::to_string(c.dpi) + "dpi";
}

std::vector<int16_t> Tone(int ms, double hz) {
    std::vector<int16_t> pcm;
    for (int i = 0; i < RATE * ms / 1000; ++i) {
        int16_t v = (int16_t)(12000 * std::sin(2 * M_PI * hz * i / RATE));
        pcm.push_back(v);
        pcm.push_back(v);
    }
    return pcm;
}

void WriteWave(const std::string& path, const std::vector<int16_t>& pcm) {
    std::string b = "RIFF....WAVEfmt ";
    auto le = [&b](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b += (char)(v >> (8 * i));
    };
    le(16, 4), le(1, 2), le(2, 2), le(RATE, 4), le(RATE * 4, 4), le(4, 2), le(16, 2);
    b += "data";
    le((uint32_t)(pcm.size() * 2), 4);
    b.append((const char*)pcm.data(), pcm.size() * 2);
    uint32_t riff = (uint32_t)b.size() - 8;
    for (int i = 0; i < 4; ++i) b[4 + i] = (char)(riff >> (8 * i));
    std::ofstream(path, std::ios::binary) << b;
}

// Power of the left channel at one frequency (Goertzel, per frame).
double PowerAt(const std::string& pcmBytes, double hz) {
    double k = 2 * std::cos(2 * M_PI * hz / RATE), s1 = 0, s2 = 0;
    size_t frames = pcmBytes.size() / 4;
    for (size_t i = 0; i < frames; ++i) {
        double s0 = SampleAt(pcmBytes, 4 * i) + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return frames ? (s1 * s1 + s2 * s2 - k * s1 * s2) / ((double)frames * frames) : 0.0;
}

std::string WinPath(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

// Share of the face's pixels that are one of the 16 standard colours (within a little, for the
// rounding of a 16-bit screen): nearly all with the 16-colour pictures, few with the others.
double StandardShare(const std::string& rgb) {
    static const int LEVELS[] = {0x00, 0x80, 0xc0, 0xff};
    auto near = [](int v, int level) { return std::abs(v - level) <= 8; };
    size_t standard = 0, pixels = rgb.size() / 3;
    for (size_t i = 0; i < pixels; ++i) {
        int r = (uint8_t)rgb[3 * i], g = (uint8_t)rgb[3 * i + 1], b = (uint8_t)rgb[3 * i + 2];
        bool grey = near(r, g) && near(g, b);
        bool ok = false;
        for (int l : LEVELS) {
            // Greys at every level; colours only of 0x00, 0x80 and 0xff channels.
            if (grey && near(r, l)) ok = true;
        }
        if (!grey) {
            ok = true;
            for (int v : {r, g, b}) ok &= near(v, 0x00) || near(v, 0x80) || near(v, 0xff);
        }
        standard += ok;
    }
    return pixels ? (double)standard / pixels : 0.0;
}

class Matrix : public ::testing::TestWithParam<Config> {
protected:
    void SetUp() override {
        if (!PathExists(DeckExePath())) GTEST_SKIP() << "Windows build missing";
        mp3 = std::string(QD_BINARY_DIR) + "/demo/2-chime-c523.mp3";
        ASSERT_TRUE(PathExists(mp3)) << "the demo list is made by the build";
        RigOptions options;
        options.depth = GetParam().depth;
        options.dpi = GetParam().dpi;
        ASSERT_TRUE(StartRig(&rig, options));
        configured = true;
        // The version is Wine's per-program setting, so only the deck and wintool are told it.
        for (const char* exe : {"Movello.exe", "wintool.exe"})
            Reg({"add", std::string(APP_DEFAULTS_KEY) + "\\" + exe, "/v", "Version", "/d", GetParam().windows, "/f"});
        Reg({"add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", std::to_string(GetParam().dpi), "/f"});
        folder = rig.dir + "/rec";
        ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
    }
    void TearDown() override {
        // The prefix is every test's: leave it as the others expect it.
        if (configured) {
            for (const char* exe : {"Movello.exe", "wintool.exe"})
                Reg({"delete", std::string(APP_DEFAULTS_KEY) + "\\" + exe, "/f"});
            Reg({"add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "96", "/f"});
        }
        StopRig(&rig);
    }
    void Reg(const std::vector<std::string>& args) { EXPECT_EQ(RunWine(rig, "reg", args, 60000), 0) << args[1]; }
    bool Command(int id) {
        int64_t result = 0;
        return SendWindowMessage(rig, DECK_CLASS, WM_COMMAND_MSG, (uint64_t)id, 0, &result);
    }
    // What the device plays for ms after `then` was sent.
    std::string Heard(int commandId, int ms, const std::string& name) {
        std::string path = rig.dir + "/" + name + ".raw";
        pid_t sink = StartSinkRecording(rig, path);
        if (commandId) {
            EXPECT_TRUE(Command(commandId));
        }
        usleep((useconds_t)ms * 1000);
        StopSinkRecording(sink);
        return ReadAll(path);
    }
    // The face's pixels as RGB bytes, its picture kept as `png`.
    std::string Face(const std::string& png) {
        ScreenRect r{};
        std::string shot = rig.dir + "/screen.png", rgb = rig.dir + "/face.rgb";
        if (!GetWindowPlace(rig, DECK_CLASS, &r) || !TakeScreenshot(rig, shot)) return "";
        std::string crop = std::to_string(FACE_W) + "x" + std::to_string(FACE_H) + "+" + std::to_string(r.left) + "+" +
                           std::to_string(r.top);
        std::system(("convert '" + shot + "' -crop " + crop + " +repage '" + png + "'").c_str());
        std::system(("convert '" + png + "' -depth 8 rgb:'" + rgb + "'").c_str());
        return ReadAll(rgb);
    }
    Rig rig;
    bool configured = false;
    std::string folder, mp3;
};

TEST_P(Matrix, StartsDrawsItsDepthsSkinPlaysWaveAndMp3AndRecordsAWave) {
    const Config& c = GetParam();
    std::string screen;
    ASSERT_EQ(0, RunWintool(rig, {"screen"}, &screen));
    unsigned bits = 0, dpi = 0, platform = 0, major = 0, minor = 0;
    ASSERT_EQ(5, std::sscanf(screen.c_str(), "%u %u %u %u %u", &bits, &dpi, &platform, &major, &minor)) << screen;
    EXPECT_EQ(dpi, (unsigned)c.dpi) << "the configuration took";
    EXPECT_EQ(platform, c.platform);
    EXPECT_EQ(major, c.major);
    EXPECT_EQ(minor, c.minor);

    ASSERT_TRUE(CreateRegistryKey(rig, SETTINGS_KEY));
    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    const std::pair<const char*, std::string> settings[] = {
        {"RecFileName",      WinPath(folder) + "\\S-"            },
        {"RecordFormat",     "0"                                 },
        {"RecAutoRecording", "0"                                 },
        {"LastYear",         std::to_string(local.tm_year + 1900)},
        {"LastMonth",        std::to_string(local.tm_mon + 1)    },
        {"LastDay",          std::to_string(local.tm_mday)       },
    };
    for (const auto& s : settings)
        Reg({"add", SETTINGS_KEY, "/v", s.first, "/t", s.first == std::string("RecFileName") ? "REG_SZ" : "REG_DWORD",
             "/d", s.second, "/f"});

    std::string wave = rig.dir + "/a440.wav";
    WriteWave(wave, Tone(6000, 440.0));
    std::string played = rig.dir + "/played.raw";
    pid_t sink = StartSinkRecording(rig, played);
    pid_t deck = StartDeck(rig, {WinPath(wave), WinPath(mp3)});
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, "Quaverly Deck", 60000));
    EXPECT_TRUE(ListMessageBoxes(rig).empty()) << "no box at the start";

    // The face: which pictures a screen of this depth gets.
    std::string shots = std::getenv("QD_MATRIX_SHOTS") ? std::getenv("QD_MATRIX_SHOTS") : rig.dir;
    std::string face = Face(shots + "/deck-" + Name(c) + ".png");
    ASSERT_EQ(face.size(), (size_t)FACE_W * FACE_H * 3) << "a picture of the face";
    if (bits <= 8)
        EXPECT_GT(StandardShare(face), 0.97) << "the 16-colour pictures";
    else
        EXPECT_LT(StandardShare(face), 0.5) << "the 256-colour pictures";

    // The WAVE plays at once (through the MCI window), the MP3 next (through the player library).
    usleep(2000 * 1000);
    StopSinkRecording(sink);
    std::string wavePart = ReadAll(played);
    EXPECT_GT(PowerAt(wavePart, 440.0), 1000.0) << "the WAVE is heard";
    // Only the last second and a half: the WAVE may still be heard while the player switches.
    std::string mp3Part = Heard(CMD_NEXT, 3000, "mp3");
    mp3Part.erase(0, mp3Part.size() > RATE * 4 * 3 / 2 ? mp3Part.size() - RATE * 4 * 3 / 2 : 0);
    EXPECT_GT(PowerAt(mp3Part, 523.25), 1000.0) << "the MP3 is heard";
    EXPECT_GT(PowerAt(mp3Part, 523.25), 10 * PowerAt(mp3Part, 440.0));

    ASSERT_TRUE(Command(CMD_STOP));
    ASSERT_TRUE(FeedPcm(rig, Tone(6000, 997.0)));
    ASSERT_TRUE(Command(CMD_RECORD));
    ASSERT_TRUE(Command(CMD_PLAY));
    usleep(2000 * 1000);  // the recording's length
    ASSERT_TRUE(Command(CMD_STOP));
    EXPECT_TRUE(ListMessageBoxes(rig).empty()) << "no box after playing and recording";
    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    int code = -1;
    if (!WaitExit(deck, 30000, &code)) {
        std::string boxes;
        for (const MessageBoxInfo& b : ListMessageBoxes(rig)) boxes += b.caption + ": " + b.text + "\n";
        ADD_FAILURE() << "the deck did not end; boxes:\n" << boxes;
    }
    EXPECT_EQ(0, code);
    WaveView v = ViewWave(folder + "/S-001.WAV");
    ASSERT_TRUE(v.ok) << "the recording is there and its sizes hold";
    EXPECT_GE(v.dataSize, 176400u) << "about two seconds";
    EXPECT_GT(PowerAt(v.audio, 997.0), 1000.0) << "of the tone fed in";
}

std::string ParamName(const ::testing::TestParamInfo<Config>& info) {
    std::string n = Name(info.param);
    for (char& ch : n)
        if (ch == '-') ch = '_';
    return n;
}

// Windows 98 reports the 9x family 4.10, XP the NT family 5.1, 7 NT 6.1, 10 NT 10.0.
const Config WIN98_8 = {8, "win98", 144, 1, 4, 10}, XP_16 = {16, "winxp", 96, 2, 5, 1};
INSTANTIATE_TEST_SUITE_P(Quick, Matrix, ::testing::Values(WIN98_8, XP_16), ParamName);
// The rest: every depth with every version, the resolution alternating.
INSTANTIATE_TEST_SUITE_P(Full, Matrix,
                         ::testing::Values(Config{8, "winxp", 96, 2, 5, 1}, Config{8, "win7", 144, 2, 6, 1},
                                           Config{8, "win10", 96, 2, 10, 0}, Config{16, "win98", 96, 1, 4, 10},
                                           Config{16, "win7", 96, 2, 6, 1}, Config{16, "win10", 144, 2, 10, 0},
                                           Config{24, "win98", 96, 1, 4, 10}, Config{24, "winxp", 144, 2, 5, 1},
                                           Config{24, "win7", 144, 2, 6, 1}, Config{24, "win10", 96, 2, 10, 0}),
                         ParamName);
}  // namespace
