// The deck on the screens and systems its users have: the virtual display at 8, 16 and 24 bits per
// pixel, Wine reporting Windows 98, XP, 7 or 10 to the deck, at 96 and 144 dots per inch. In each,
// the deck starts without a box, draws the skin variant for the screen's depth (the 16-colour
// pictures up to 256 colours, the 256-colour ones above), plays a WAVE and an MP3, and records a
// WAVE. The Quick set runs with the other tests; scripts/matrix.sh runs them all and keeps a
// picture of each face in docs/.
#include <cstdio>

#include "e2e/deck_check.h"

namespace {
using deck_check::DECK_CLASS;
const char DESKTOP_KEY[] = "HKCU\\Control Panel\\Desktop";
const char APP_DEFAULTS_KEY[] = "HKCU\\Software\\Wine\\AppDefaults";
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

// Share of the badge's pixels (76 x 24 at 7,43 of the face) that show the 16-colour picture's own
// colour: nearly all when that picture is drawn, few when the 256-colour one is, even on an 8-bit
// screen that maps the latter to its own colours. Silver may show black: Wine's shared colormap on
// an 8-bit X display has no cell for it.
double Share16(const std::string& face, const std::string& tag) {
    const int X = 7, Y = 43, W = 76, H = 24;
    std::string rgb = "/tmp/qd_matrix_badge_" + tag + ".rgb";
    std::string bmp = WindowsBinDir() + "/../skin/idb_badge_16.bmp";
    if (std::system(("convert '" + bmp + "' -depth 8 rgb:'" + rgb + "'").c_str()) != 0) return -1;
    std::string pic = ReadAll(rgb);
    std::remove(rgb.c_str());
    if (pic.size() != (size_t)W * H * 3 || face.size() < (size_t)FACE_W * FACE_H * 3) return -1;
    int same = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const char* p = &pic[3 * (y * W + x)];
            const char* f = &face[3 * ((Y + y) * FACE_W + X + x)];
            bool silver = (uint8_t)p[0] == 0xc0 && (uint8_t)p[1] == 0xc0 && (uint8_t)p[2] == 0xc0;
            bool near = true;  // within the rounding of a 16-bit screen
            for (int k = 0; k < 3; ++k) near &= std::abs((uint8_t)p[k] - (uint8_t)f[k]) <= 8;
            same += near || (silver && !f[0] && !f[1] && !f[2]);
        }
    return (double)same / (W * H);
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
    void Reg(const std::vector<std::string>& args) { EXPECT_EQ(RunWine(rig, "reg", args, e2e::WAIT_MS), 0) << args[1]; }
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
    std::string mp3;
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

    deck_check::PlayAndRecord(rig, DeckExePath(), mp3, [&] {
        // The face: which pictures a screen of this depth gets.
        std::string shots = std::getenv("QD_MATRIX_SHOTS") ? std::getenv("QD_MATRIX_SHOTS") : rig.dir;
        std::string face = Face(shots + "/deck-" + Name(c) + ".png");
        ASSERT_EQ(face.size(), (size_t)FACE_W * FACE_H * 3) << "a picture of the face";
        double share = Share16(face, Name(c));
        if (bits <= 8)
            EXPECT_GT(share, 0.9) << "the 16-colour pictures";
        else
            EXPECT_LT(share, 0.5) << "the 256-colour pictures";
    });
}

std::string ParamName(const ::testing::TestParamInfo<Config>& info) {
    std::string n = Name(info.param);
    for (char& ch : n)
        if (ch == '-') ch = '_';
    return n;
}

// Windows 98 reports the 9x family 4.10, XP the NT family 5.1, 7 NT 6.1; 10 tells a program
// without a compatibility manifest, as the deck is, that it is 6.2.
const Config WIN98_8 = {8, "win98", 144, 1, 4, 10}, XP_16 = {16, "winxp", 96, 2, 5, 1};
INSTANTIATE_TEST_SUITE_P(Quick, Matrix, ::testing::Values(WIN98_8, XP_16), ParamName);
// The rest: every depth with every version, the resolution alternating.
INSTANTIATE_TEST_SUITE_P(Full, Matrix,
                         ::testing::Values(Config{8, "winxp", 96, 2, 5, 1}, Config{8, "win7", 144, 2, 6, 1},
                                           Config{8, "win10", 96, 2, 6, 2}, Config{16, "win98", 96, 1, 4, 10},
                                           Config{16, "win7", 96, 2, 6, 1}, Config{16, "win10", 144, 2, 6, 2},
                                           Config{24, "win98", 96, 1, 4, 10}, Config{24, "winxp", 144, 2, 5, 1},
                                           Config{24, "win7", 144, 2, 6, 1}, Config{24, "win10", 96, 2, 6, 2}),
                         ParamName);
}  // namespace
