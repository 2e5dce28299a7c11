// The face layout: buttons on the face without overlapping, the right ones in the thin face,
// every picture cell the face asks for lying inside the generated bitmap, the background
// covering the whole face, the display values (time digits, rate glyphs, meter cells) and the
// double-click areas.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "display/face_layout.h"
#include "display/shown_states.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "skin_pictures.h"

namespace {

// A cell lies inside both depths' pictures, at the sizes the generated files are checked to have.
void ExpectInsideBitmaps(const SkinBlit& b) {
    for (int id : {b.bitmap16, b.bitmap}) {
        auto s = std::find_if(std::begin(PICTURES), std::end(PICTURES), [&](const Expected& e) { return e.id == id; });
        ASSERT_NE(s, std::end(PICTURES)) << "bitmap " << id;
        EXPECT_TRUE(b.sx >= 0 && b.sy >= 0 && b.w > 0 && b.h > 0 && b.sx + b.w <= s->w && b.sy + b.h <= s->h)
            << "bitmap " << id << " cell " << b.sx << "," << b.sy << " " << b.w << "x" << b.h;
    }
}

// Neighbouring transport keys share their one-pixel outline; more than that is an overlap.
int Overlap(const FaceRect& a, const FaceRect& b) {
    int w = std::min(a.x + a.w, b.x + b.w) - std::max(a.x, b.x);
    int h = std::min(a.y + a.h, b.y + b.h) - std::max(a.y, b.y);
    return w > 1 && h > 1;
}

ButtonLook Look(int mode, int shown) {
    ButtonLook l{};
    l.faceMode = mode;
    l.shownState = shown;
    l.inputSelect = 1;
    return l;
}
}  // namespace

TEST(FaceLayout, ButtonsLieOnTheFaceWithoutOverlapInBothModes) {
    for (int mode : {FACE_MODE_NORMAL, FACE_MODE_THIN}) {
        int faceH = mode == FACE_MODE_THIN ? FACE_THIN_H : FACE_NORMAL_H;
        std::vector<FaceRect> shown;
        for (const FaceButton& b : FACE_BUTTONS) {
            if (mode == FACE_MODE_THIN && !b.inThin) continue;
            FaceRect r = FaceButtonRect(b, mode);
            EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= FACE_W && r.y + r.h <= faceH) << b.id << " mode " << mode;
            for (const FaceRect& o : shown) EXPECT_FALSE(Overlap(r, o)) << b.id << " mode " << mode;
            shown.push_back(r);
        }
    }
}

TEST(FaceLayout, ThinFaceKeepsTheWindowKeysRepeatAndTransportOnly) {
    std::set<int> thin;
    for (const FaceButton& b : FACE_BUTTONS)
        if (b.inThin) thin.insert(b.id);
    std::set<int> expected = {
        CMD_CLOSE, CMD_SELECT_FILE, CMD_LAUNCH_SELECTOR, CMD_ICONIZE,      CMD_FACE_MODE, CMD_REPEAT, CMD_PLAY,
        CMD_PAUSE, CMD_STOP,        CMD_REWIND,          CMD_FAST_FORWARD, CMD_PREVIOUS,  CMD_NEXT};
    EXPECT_EQ(thin, expected);
    std::set<int> tips;
    for (const FaceButton& b : FACE_BUTTONS) tips.insert(b.tipString);
    EXPECT_EQ(tips.size(), (size_t)FACE_BUTTON_COUNT) << "each button its own tooltip";
}

TEST(FaceLayout, EveryButtonCellInEveryStateIsInsideItsBitmapAndAsBigAsTheButton) {
    const int states[] = {NoTrack,  Stopped,    Playing,   Paused,     Recording,
                          RecPause, RecStandby, Searching, TrackSpace, RecAutoActive};
    for (int mode : {FACE_MODE_NORMAL, FACE_MODE_THIN})
        for (const FaceButton& b : FACE_BUTTONS)
            for (int state : {BUTTON_NORMAL, BUTTON_PRESSED, BUTTON_DISABLED})
                for (int shown : states)
                    for (uint32_t v = 0; v < 4; ++v) {
                        ButtonLook l = Look(mode, shown);
                        l.repeatMode = v % 3;
                        l.recordFormat = v;
                        l.formatLabelSet = v % 2;
                        l.inputSelect = v % 2;
                        l.muteState = l.closeLit = v % 2;
                        SkinBlit img = ButtonImage(b.id, state, l);
                        FaceRect r = FaceButtonRect(b, mode);
                        SCOPED_TRACE(b.id);
                        ExpectInsideBitmaps(img);
                        EXPECT_EQ(img.w, r.w);
                        EXPECT_EQ(img.h, r.h);
                    }
}

TEST(FaceLayout, ButtonCellsFollowTheDecksState) {
    ButtonLook l = Look(FACE_MODE_NORMAL, Playing);
    EXPECT_EQ(ButtonImage(CMD_PLAY, BUTTON_NORMAL, l).sx, 8 * 30);
    EXPECT_EQ(ButtonImage(CMD_PLAY, BUTTON_NORMAL, Look(0, RecStandby)).sx, 9 * 30);
    EXPECT_EQ(ButtonImage(CMD_PAUSE, BUTTON_NORMAL, Look(0, RecPause)).sx, 11 * 30);
    EXPECT_EQ(ButtonImage(CMD_PAUSE, BUTTON_NORMAL, Look(0, Searching)).sx, 10 * 30);
    EXPECT_EQ(ButtonImage(CMD_PLAY, BUTTON_PRESSED, l).sy, 13) << "pressed is row 1";
    EXPECT_EQ(ButtonImage(CMD_RECORD, BUTTON_DISABLED, l).sy, 3 * 13);
    EXPECT_EQ(ButtonImage(CMD_RECORD, BUTTON_NORMAL, l).sx, 7 * 30);

    l.recordFormat = 2;
    l.formatLabelSet = 1;
    EXPECT_EQ(ButtonImage(CMD_FORMAT_MP2, BUTTON_PRESSED, l).sx, 6 * 34) << "pressed in its own column";
    l.repeatMode = REPEAT_TRACK;
    EXPECT_EQ(ButtonImage(CMD_REPEAT, BUTTON_PRESSED, l).sx, 0) << "pressed from column 0";
    EXPECT_EQ(ButtonImage(CMD_CLOSE, BUTTON_NORMAL, Look(FACE_MODE_THIN, NoTrack)).bitmap, IDB_BTN_CLOSE_THIN);

    SkinBlit play = ButtonImage(CMD_PLAY, BUTTON_NORMAL, l);
    EXPECT_EQ(SkinBitmapFor(play, 8), IDB_BTN_TRANSPORT_16) << "16 colours up to 8 bits per pixel";
    EXPECT_EQ(SkinBitmapFor(play, 16), IDB_BTN_TRANSPORT);
}

// The keys whose lamp shows a setting, in each of its values and in both faces: the cell's
// column and row. Every other key rests on row 2.
TEST(FaceLayout, EachLampKeyShowsItsSetting) {
    struct Case {
        const char* what;
        int id;
        uint32_t ButtonLook::*field;
        uint32_t value;
        int col, row;
    };
    const Case cases[] = {
        {"sound on",            CMD_MUTE,       &ButtonLook::muteState,      0,            0, 2},
        {"muted",               CMD_MUTE,       &ButtonLook::muteState,      1,            0, 0},
        {"no device",           CMD_CLOSE,      &ButtonLook::closeLit,       0,            0, 0},
        {"power on",            CMD_CLOSE,      &ButtonLook::closeLit,       1,            0, 2},
        {"power auto",          CMD_CLOSE,      &ButtonLook::closeLit,       2,            0, 2},
        {"IN1 chosen",          CMD_INPUT_IN1,  &ButtonLook::inputSelect,    INPUT_IN1,    0, 0},
        {"IN1, IN2 chosen",     CMD_INPUT_IN1,  &ButtonLook::inputSelect,    INPUT_IN2,    0, 2},
        {"IN2 chosen",          CMD_INPUT_IN2,  &ButtonLook::inputSelect,    INPUT_IN2,    0, 0},
        {"IN2, IN1 chosen",     CMD_INPUT_IN2,  &ButtonLook::inputSelect,    INPUT_IN1,    0, 2},
        {"IN1, input unknown",  CMD_INPUT_IN1,  &ButtonLook::inputSelect,    2,            0, 2},
        {"IN2, input unknown",  CMD_INPUT_IN2,  &ButtonLook::inputSelect,    2,            0, 2},
        {"PCM chosen",          CMD_FORMAT_PCM, &ButtonLook::recordFormat,   0,            0, 2},
        {"PCM, MP3 chosen",     CMD_FORMAT_PCM, &ButtonLook::recordFormat,   3,            0, 0},
        {"MP1, MP2 chosen",     CMD_FORMAT_MP1, &ButtonLook::recordFormat,   2,            1, 0},
        {"MP3 chosen",          CMD_FORMAT_MP3, &ButtonLook::recordFormat,   3,            3, 2},
        {"MP2, record labels",  CMD_FORMAT_MP2, &ButtonLook::formatLabelSet, 1,            6, 0},
        {"repeat off",          CMD_REPEAT,     &ButtonLook::repeatMode,     REPEAT_OFF,   0, 0},
        {"repeat one",          CMD_REPEAT,     &ButtonLook::repeatMode,     REPEAT_TRACK, 1, 2},
        {"repeat all",          CMD_REPEAT,     &ButtonLook::repeatMode,     REPEAT_LIST,  0, 2},
    };
    for (int mode : {FACE_MODE_NORMAL, FACE_MODE_THIN}) {
        for (const Case& c : cases) {
            ButtonLook l = Look(mode, Stopped);
            l.*c.field = c.value;
            FaceRect r = FaceButtonRect(*FindFaceButton(c.id), mode);
            SkinBlit img = ButtonImage(c.id, BUTTON_NORMAL, l);
            EXPECT_EQ(img.sx, c.col * r.w) << c.what << ", mode " << mode;
            EXPECT_EQ(img.sy, c.row * r.h) << c.what << ", mode " << mode;
        }
        for (const FaceButton& b : FACE_BUTTONS) {
            bool lamp = std::any_of(std::begin(cases), std::end(cases), [&](const Case& c) { return c.id == b.id; });
            if (lamp) continue;
            EXPECT_EQ(ButtonImage(b.id, BUTTON_NORMAL, Look(mode, Stopped)).sy, 2 * FaceButtonRect(b, mode).h) << b.id;
        }
    }
}

TEST(FaceLayout, BackgroundCoversTheWholeFaceFromInsideItsBitmaps) {
    for (int mode : {FACE_MODE_NORMAL, FACE_MODE_THIN}) {
        int faceH = mode == FACE_MODE_THIN ? FACE_THIN_H : FACE_NORMAL_H;
        static SkinBlit blits[FACE_BACKGROUND_MAX];
        int n = FaceBackground(mode, blits, FACE_BACKGROUND_MAX);
        ASSERT_LT(n, FACE_BACKGROUND_MAX);
        std::vector<int> covered(FACE_W * faceH, 0);
        for (int i = 0; i < n; ++i) {
            ExpectInsideBitmaps(blits[i]);
            for (int y = blits[i].dy; y < blits[i].dy + blits[i].h; ++y)
                for (int x = blits[i].dx; x < blits[i].dx + blits[i].w; ++x)
                    if (x < FACE_W && y < faceH) covered[y * FACE_W + x] = 1;
        }
        for (int y = 0; y < faceH; ++y)
            for (int x = 0; x < FACE_W; ++x)
                ASSERT_TRUE(covered[y * FACE_W + x]) << "mode " << mode << " at " << x << "," << y;
    }
    SkinBlit extras[8];
    for (int i = 0, n = NormalFaceExtras(extras, 8); i < n; ++i) ExpectInsideBitmaps(extras[i]);
}

// Each background piece where the face's rules put it, in drawing order: frame rows, corners,
// the two grooves under the transport keys, the display panel, the colon and the ticker panel.
TEST(FaceLayout, BackgroundPiecesSitWhereTheFaceRulesPutThem) {
    struct Piece {
        int bitmap, sx, sy, w, h, dx, dy;
        bool operator==(const Piece& o) const {
            return bitmap == o.bitmap && sx == o.sx && sy == o.sy && w == o.w && h == o.h && dx == o.dx && dy == o.dy;
        }
    };
    auto pieces = [](int mode) {
        static SkinBlit b[FACE_BACKGROUND_MAX];
        std::vector<Piece> out;
        for (int i = 0, n = FaceBackground(mode, b, FACE_BACKGROUND_MAX); i < n; ++i)
            out.push_back({b[i].bitmap, b[i].sx, b[i].sy, b[i].w, b[i].h, b[i].dx, b[i].dy});
        return out;
    };
    std::vector<Piece> want;
    auto frameRow = [&](int row, int y) {  // left tile, middle tiles while x < 392, right tile at 392
        for (int x = 0; x <= 392; x += 8) want.push_back({IDB_FRAME, x == 0 ? 0 : x == 392 ? 16 : 8, row * 8, 8, 8, x, y});
    };
    frameRow(0, 0);
    for (int y = 8; y <= 96; y += 8) frameRow(1, y);
    frameRow(2, 78);
    frameRow(3, 97);
    want.push_back({IDB_CORNER, 0, 0, 73, 13, 0, 92});
    want.push_back({IDB_CORNER, 0, 0, 73, 13, 327, 92});
    auto groove = [&](int left, std::vector<int> middles, int right) {
        want.push_back({IDB_GROOVE, 0, 0, 8, 17, left, 84});
        for (int x : middles) want.push_back({IDB_GROOVE, 8, 0, 8, 17, x, 84});
        want.push_back({IDB_GROOVE, 16, 0, 8, 17, right, 84});
    };
    std::vector<int> longMiddles;
    for (int x = 86; x <= 270; x += 8) longMiddles.push_back(x);
    groove(78, longMiddles, 278);
    groove(289, {297, 305}, 315);
    auto panel = [&](int tile, int x) { want.push_back({IDB_PANEL_TILES, tile * 12, 0, 12, 47, x, 35}); };
    panel(0, 88), panel(1, 100), panel(1, 112), panel(2, 121);
    for (int x = 133; x <= 253; x += 12) panel(3, x);
    panel(4, 263);
    want.push_back({IDB_TIME_DIGITS, 100, 0, 5, 13, 245, 39});
    want.push_back({IDB_TICKER_PANEL, 0, 0, 222, 23, 89, 11});
    std::vector<Piece> got = pieces(FACE_MODE_NORMAL);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_TRUE(got[i] == want[i]) << "piece " << i << ": bitmap " << got[i].bitmap << " at " << got[i].dx << ","
                                       << got[i].dy << ", expected bitmap " << want[i].bitmap << " at " << want[i].dx
                                       << "," << want[i].dy;

    want.clear();  // the thin face: one band of 5 x 20 tiles, the right one at 395
    for (int x = 0; x <= 395; x += 5) want.push_back({IDB_THIN_FRAME, x == 0 ? 0 : x == 395 ? 10 : 5, 0, 5, 20, x, 0});
    EXPECT_TRUE(pieces(FACE_MODE_THIN) == want);
}

// The ticker's strip is as wide as its text; its background must reach the strip's end however
// long the title is, at either size.
TEST(FaceLayout, TickerBackgroundCoversTheWholeStrip) {
    for (int scale : {1, 2})
        for (int stripW : {222 * scale, 1800, 4000 * scale}) {
            int n = TickerStripTiles(stripW, scale, nullptr, 0);
            std::vector<SkinBlit> tiles((size_t)n);
            ASSERT_EQ(TickerStripTiles(stripW, scale, tiles.data(), n), n);
            SCOPED_TRACE(std::to_string(scale) + " " + std::to_string(stripW));
            ASSERT_GT(n, 0);
            EXPECT_EQ(tiles[0].dx, 0);
            for (int i = 1; i < n; ++i) EXPECT_EQ(tiles[i].dx, tiles[i - 1].dx + TICKER_TILE_W) << i;
            EXPECT_GE((tiles[n - 1].dx + TICKER_TILE_W) * scale, stripW) << "the end of the strip is covered";
            EXPECT_LT(tiles[n - 1].dx * scale, stripW) << "no tile past it";
            for (const SkinBlit& t : tiles) EXPECT_TRUE(t.sx == TICKER_TILE_X && t.w == TICKER_TILE_W && t.dy == 0);
        }
}

TEST(FaceLayout, TimeDigitsCarryMinutesAndIgnoreTheTopBit) {
    struct Case {
        uint32_t ms;
        int digits[5];
    };
    const Case cases[] = {
        {59900,               {0, 0, 0, 5, 9}},
        {61000,               {0, 0, 1, 0, 1}},
        {6000000,             {1, 0, 0, 0, 0}},
        {0x80000000u | 61000, {0, 0, 1, 0, 1}},
    };
    for (const Case& c : cases) {
        int d[5];
        TimeDigits(c.ms, d);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(d[i], c.digits[i]) << c.ms << " digit " << i;
    }
}

TEST(FaceLayout, RateDisplayShowsListedRatesOnly) {
    SkinBlit b[16];
    int n = RateImage(44100, 1, b, 16);
    ASSERT_EQ(n, 9);
    EXPECT_EQ(b[6].sx, 4 * 5);
    EXPECT_EQ(b[7].sx, 4 * 5);
    EXPECT_EQ(b[7].dx, 94 + 6);
    EXPECT_EQ(b[8].sx, 55) << "kHz";
    EXPECT_EQ(b[8].sy, 11) << "lit row";
    n = RateImage(8000, 0, b, 16);
    ASSERT_EQ(n, 9);
    EXPECT_EQ(b[6].sx, 50) << "a blank for the missing tens";
    EXPECT_EQ(b[7].sx, 8 * 5);
    EXPECT_EQ(RateImage(22050, 0, b, 16), 9);
    EXPECT_EQ(b[6].sx, 2 * 5);
    EXPECT_EQ(RateImage(44000, 0, b, 16), 6) << "blanks only";
    EXPECT_EQ(RateImage(1, 0, b, 16), 7);
    EXPECT_EQ(b[6].sx, 74);
}

TEST(FaceLayout, MeterCellsForLevelsAndTheirColours) {
    const int cells[][2] = {{0, 25}, {6, 25}, {-20, 5}, {-21, 5}, {-26, 4}, {-60, 1}, {-99, 1}, {-100, 0}};  // dB, cells
    for (const auto& c : cells) EXPECT_EQ(MeterCellCount(c[0]), c[1]) << c[0] << " dB";
    EXPECT_EQ(MeterCell(0, 1, 1).sx, 0) << "x 136: low";
    EXPECT_EQ(MeterCell(0, 13, 1).sx, 3) << "x 172: middle";
    EXPECT_EQ(MeterCell(1, 23, 1).sx, 6) << "x 202: high";
    EXPECT_EQ(MeterCell(1, 23, 0).sx, 9) << "off";
    EXPECT_EQ(MeterCell(1, 23, 0).dy, 48);
    EXPECT_EQ(PeakCell(0, 12).sx, 0);
    EXPECT_EQ(PeakCell(0, 13).sx, 3);
    EXPECT_EQ(PeakCell(0, 23).sx, 6);
}

// The face's double-click areas at their edges: the badge (web information) and the time
// display (version) with each of its five digits, the colon between them included, and nothing
// one pixel outside or anywhere on the thin face.
TEST(FaceAreas, EachAreaEndsAtItsLastPixel) {
    struct Case {
        int x, y, want;
    };
    const Case cases[] = {
        // The badge's corners, and one pixel past each side.
        {7, 43, 1}, {82, 66, 1}, {6, 43, 0}, {83, 50, 0}, {7, 42, 0}, {7, 67, 0},
        // The time: the first digit's top row, the colon, the last digit's last column and row.
        {214, 39, 2}, {213, 45, 0}, {245, 45, 2}, {270, 51, 2}, {271, 45, 0}, {230, 38, 0}, {230, 52, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, FaceAreaAtPoint(FACE_MODE_NORMAL, c.x, c.y)) << c.x << "," << c.y;
        EXPECT_EQ(0, FaceAreaAtPoint(FACE_MODE_THIN, c.x, c.y)) << c.x << "," << c.y;
    }
}
