// The face under Wine, seen from outside: screenshots read at the face's own coordinates (a lit
// time digit while playing, the lit Play key and format key, a pressed key), in the normal and
// thin face at single and double size, and a real mouse click on Play that makes the virtual
// sound device play the track.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include "resources/resource.h"
#include "tool_skip.h"

namespace {
using e2e::DECK_CLASS;
using e2e::SETTINGS_KEY;
using e2e::WinPath;
const int DECK_X = 100, DECK_Y = 100;  // where the tests put the deck

// Colours of the skin (src/resources/skin/colours.skin).
const uint32_t SEGMENT_LIT = 0x6cf5d2, LAMP_GREEN = 0x58f06e, LAMP_AMBER = 0xffbe3c;
const uint32_t KEY_LIGHT_EDGE = 0x8a9099, KEY_DARK_EDGE = 0x23262b;

struct Screen {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    uint32_t At(int x, int y) const {
        if (x < 0 || y < 0 || x >= w || y >= h) return 0xFFFFFFFF;
        const uint8_t* p = &rgb[3 * ((size_t)y * w + x)];
        return (uint32_t)p[0] << 16 | p[1] << 8 | p[2];
    }
};

bool Near(uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16})
        if (std::abs((int)((a >> shift) & 255) - (int)((b >> shift) & 255)) > 12) return false;
    return true;
}

class FaceE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v xdotool >/dev/null && command -v convert >/dev/null") != 0)
            SKIP_UNLESS_CI("xdotool and imagemagick are needed");
        if (!PathExists(DeckExePath())) SKIP_UNLESS_CI("the Windows build is needed");
        ASSERT_TRUE(StartRig(&rig));
        // A tone long enough to outlast every check of a test.
        track = rig.dir + "/tone.wav";
        ASSERT_EQ(std::system((std::string(QD_BINARY_DIR) + "/bin/qdtone 440 20000 '" + track + "'").c_str()), 0);
    }
    void TearDown() override {
        if (deck > 0) {
            CloseWindow(rig, DECK_CLASS);
            int code = -1;
            if (!WaitExit(deck, e2e::WAIT_MS, &code)) StopProcess(deck);
        }
        StopRig(&rig);
    }
    // Starts the deck at (100,100) in the mode and size given, playing the tone.
    void StartPlaying(int mode, int mag) {
        ASSERT_TRUE(SetRegistryValues(rig, SETTINGS_KEY,
                                      {{"Xo", "REG_DWORD", std::to_string(DECK_X)},
                                       {"Yo", "REG_DWORD", std::to_string(DECK_Y)},
                                       {"Mode", "REG_DWORD", std::to_string(mode)},
                                       {"Mag", "REG_DWORD", std::to_string(mag)}}));
        deck = StartDeck(rig, {WinPath(track)});
        ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, e2e::DECK_TITLE, e2e::START_MS));
        scale = mag;
    }
    Screen Shot(const char* name) {
        Screen s;
        std::string png = rig.dir + "/" + name + ".png", ppm = rig.dir + "/" + name + ".ppm";
        EXPECT_TRUE(TakeScreenshot(rig, png));
        EXPECT_EQ(std::system(("convert '" + png + "' '" + ppm + "'").c_str()), 0);
        std::ifstream in(ppm, std::ios::binary);
        std::string magic;
        int maxv = 0;
        in >> magic >> s.w >> s.h >> maxv;
        in.get();
        s.rgb.resize((size_t)3 * s.w * s.h);
        in.read((char*)s.rgb.data(), (std::streamsize)s.rgb.size());
        return s;
    }
    // Screenshots until one satisfies shows (or the wait ends); the last one taken.
    Screen ShotWhen(const char* name, const std::function<bool(const Screen&)>& shows) {
        Screen s;
        e2e::WaitUntil([&] { return shows(s = Shot(name)); }, e2e::WAIT_MS);
        return s;
    }
    // Whether a face rectangle (unscaled face pixels) holds the colour somewhere.
    bool FaceHas(const Screen& s, int x, int y, int w, int h, uint32_t colour) {
        for (int j = y * scale; j < (y + h) * scale; ++j)
            for (int i = x * scale; i < (x + w) * scale; ++i)
                if (Near(s.At(DECK_X + i, DECK_Y + j), colour)) return true;
        return false;
    }
    // Whether two face rectangles of the same size show different pixels.
    bool FaceAreasDiffer(const Screen& s, int x1, int y1, int x2, int y2, int w, int h) {
        for (int j = 0; j < h * scale; ++j)
            for (int i = 0; i < w * scale; ++i)
                if (s.At(DECK_X + x1 * scale + i, DECK_Y + y1 * scale + j) !=
                    s.At(DECK_X + x2 * scale + i, DECK_Y + y2 * scale + j))
                    return true;
        return false;
    }
    uint32_t FacePixel(const Screen& s, int x, int y) { return s.At(DECK_X + x * scale, DECK_Y + y * scale); }
    void Mouse(const std::vector<std::string>& actions) {
        std::string cmd = "DISPLAY=" + rig.display + " xdotool";
        for (const std::string& a : actions) cmd += " " + a;
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    std::string FacePoint(int x, int y) {
        return std::to_string(DECK_X + x * scale) + " " + std::to_string(DECK_Y + y * scale);
    }
    bool Command(int id) {
        int64_t result = 0;
        return SendWindowMessage(rig, DECK_CLASS, e2e::WM_COMMAND_, (uint64_t)id, 0, &result);
    }

    Rig rig;
    pid_t deck = -1;
    int scale = 1;
    std::string track;
};

double Rms(const std::vector<int16_t>& pcm) {
    double sum = 0;
    for (int16_t v : pcm) sum += (double)v * v;
    return pcm.empty() ? 0 : std::sqrt(sum / pcm.size());
}
}  // namespace

TEST_F(FaceE2E, PlayingLightsDigitsPlayAndFormatAndAClickOnPlayIsHeard) {
    StartPlaying(0, 1);
    // A second of play: the seconds' units light up and leave 0.
    Screen s = ShotWhen("normal", [&](const Screen& shot) {
        return FaceHas(shot, 261, 39, 10, 13, SEGMENT_LIT) && FaceAreasDiffer(shot, 251, 39, 261, 39, 10, 13);
    });
    EXPECT_TRUE(FaceHas(s, 261, 39, 10, 13, SEGMENT_LIT)) << "the seconds' units after a second of play";
    EXPECT_TRUE(FaceAreasDiffer(s, 251, 39, 261, 39, 10, 13)) << "the seconds' units no longer show 0";
    EXPECT_TRUE(FaceHas(s, 80, 86, 30, 13, LAMP_GREEN)) << "Play shows playing";
    EXPECT_TRUE(FaceHas(s, 277, 35, 34, 11, LAMP_AMBER)) << "PCM lit for a WAVE file";
    EXPECT_FALSE(FaceHas(s, 277, 47, 34, 11, LAMP_AMBER)) << "MP1 dark";
    EXPECT_TRUE(Near(FacePixel(s, 139 + 1, 86 + 1), KEY_LIGHT_EDGE)) << "Stop is up";

    // Stop with a real click, then hold Play down: the key shows pressed.
    Mouse({"mousemove", FacePoint(138 + 15, 86 + 6), "click", "1"});
    ShotWhen("stopped", [&](const Screen& shot) { return !FaceHas(shot, 80, 86, 30, 13, LAMP_GREEN); });
    Mouse({"mousemove", FacePoint(80 + 15, 86 + 6), "mousedown", "1"});
    Screen pressed =
        ShotWhen("pressed", [&](const Screen& shot) { return Near(FacePixel(shot, 81, 87), KEY_DARK_EDGE); });
    EXPECT_TRUE(Near(FacePixel(pressed, 81, 87), KEY_DARK_EDGE)) << "Play pressed";
    EXPECT_FALSE(FaceHas(pressed, 80, 86, 30, 13, LAMP_GREEN)) << "the click on Stop stopped the deck";

    // Releasing it plays the track into the virtual device.
    std::string raw = rig.dir + "/sink.raw";
    pid_t rec = StartSinkRecording(rig, raw);
    ASSERT_GT(rec, 0);
    Mouse({"mouseup", "1"});
    e2e::WaitUntil([&] { return Rms(ReadPcmFile(raw)) > 1000.0; }, e2e::WAIT_MS, 250);
    StopSinkRecording(rec);
    EXPECT_GT(Rms(ReadPcmFile(raw)), 1000.0) << "the tone reached the sink";
}

TEST_F(FaceE2E, ThinAndDoubleSizeFacesPlaceKeysAndDigitsAtTheirScaledPlaces) {
    StartPlaying(1, 2);
    Screen thin = ShotWhen("thin-double", [&](const Screen& shot) { return FaceHas(shot, 69, 3, 30, 13, LAMP_GREEN); });
    EXPECT_TRUE(FaceHas(thin, 69, 3, 30, 13, LAMP_GREEN)) << "Play in the thin face";
    EXPECT_FALSE(FaceHas(thin, 0, 21, 400, 40, LAMP_GREEN)) << "nothing of the deck below the thin face";

    ASSERT_TRUE(Command(CMD_FACE_MODE));
    Screen normal = ShotWhen("normal-double", [&](const Screen& shot) {
        return FaceHas(shot, 80, 86, 30, 13, LAMP_GREEN) && FaceAreasDiffer(shot, 251, 39, 261, 39, 10, 13);
    });
    EXPECT_TRUE(FaceHas(normal, 80, 86, 30, 13, LAMP_GREEN)) << "Play at (160,172) in double size";
    EXPECT_TRUE(FaceHas(normal, 214, 39, 57, 13, SEGMENT_LIT)) << "time digits at double size";
    EXPECT_TRUE(FaceAreasDiffer(normal, 251, 39, 261, 39, 10, 13)) << "a second has passed";
    EXPECT_TRUE(FaceHas(normal, 277, 35, 34, 11, LAMP_AMBER));
}
