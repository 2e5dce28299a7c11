// skingen: draws the deck's skin bitmaps from the readable descriptions in src/resources/skin
// and writes them as palette bitmaps, a resource script that names them (skin.rc, included by
// deck.rc) and a manifest for the tests. Restyling the deck means editing the descriptions.
//
//   skingen DESCRIPTION_FOLDER OUTPUT_FOLDER
//
// Every *.skin file of the folder is read (in name order). Definitions (colours, key styles,
// font characters, icons) may appear in any file; each "bitmap" line starts a new picture whose
// drawing commands follow it. The commands are listed at the head of face.skin.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "skin_canvas.h"

namespace {

const int FONT_W = 3, FONT_H = 5, FONT_ADVANCE = 4;
const int KEY_ROWS = 4;

struct SourceLine {
    std::string file;
    int number;
    std::vector<std::string> words;
};

struct KeyStyle {
    Rgb face, hi, lo, edge, ink;
    int pressed;  // content one pixel down and right
    int dim;      // a column's own ink colour does not apply
};

struct Glyph {
    int w, h;
    std::vector<std::string> rows;  // '#' set, anything else clear
};

struct Output {
    std::string name;
    int bpp;
};

struct Picture {
    std::vector<Output> outputs;
    int w, h;
    std::vector<SourceLine> commands;
};

struct Skin {
    std::map<std::string, Rgb> colours;
    std::map<std::string, KeyStyle> styles;
    std::map<std::string, Glyph> icons;
    std::map<char, Glyph> font;
    std::vector<Picture> pictures;
};

struct KeyGrid {
    int cellW, cellH;
    KeyStyle rows[KEY_ROWS];
    int set;
};

[[noreturn]] void Fail(const SourceLine& l, const std::string& why) {
    std::fprintf(stderr, "%s:%d: %s\n", l.file.c_str(), l.number, why.c_str());
    std::exit(1);
}

// Words of a line: blanks separate them, double quotes keep blanks in a word, and a '#'
// followed by a blank (or ending the line) starts a comment.
std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r')) ++i;
        if (i >= text.size()) break;
        if (text[i] == '#' && (i + 1 == text.size() || text[i + 1] == ' ' || text[i + 1] == '\t')) break;
        std::string w;
        if (text[i] == '"') {
            size_t end = text.find('"', i + 1);
            if (end == std::string::npos) end = text.size();
            w = "\"" + text.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r') w += text[i++];
        }
        words.push_back(w);
    }
    return words;
}

int Number(const SourceLine& l, size_t k) {
    if (k >= l.words.size()) Fail(l, "missing number");
    char* end = nullptr;
    long v = std::strtol(l.words[k].c_str(), &end, 10);
    if (!end || *end) Fail(l, "not a number: " + l.words[k]);
    return (int)v;
}

Rgb Colour(const Skin& s, const SourceLine& l, size_t k) {
    if (k >= l.words.size()) Fail(l, "missing colour");
    const std::string& w = l.words[k];
    if (w.size() == 7 && w[0] == '#') return (Rgb)std::strtoul(w.c_str() + 1, nullptr, 16);
    auto it = s.colours.find(w);
    if (it == s.colours.end()) Fail(l, "unknown colour " + w);
    return it->second;
}

std::string Text(const SourceLine& l, size_t k) {
    if (k >= l.words.size() || l.words[k].empty() || l.words[k][0] != '"') Fail(l, "missing quoted text");
    return l.words[k].substr(1);
}

const Glyph& Icon(const Skin& s, const SourceLine& l, size_t k) {
    if (k >= l.words.size()) Fail(l, "missing icon name");
    auto it = s.icons.find(l.words[k]);
    if (it == s.icons.end()) Fail(l, "unknown icon " + l.words[k]);
    return it->second;
}

void DrawGlyph(Canvas& c, const Glyph& g, int x, int y, Rgb ink, int scale) {
    for (int j = 0; j < g.h; ++j)
        for (int i = 0; i < g.w; ++i)
            if (i < (int)g.rows[j].size() && g.rows[j][i] == '#')
                FillRect(c, x + i * scale, y + j * scale, scale, scale, ink);
}

int TextWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : ((int)text.size() * FONT_ADVANCE - 1) * scale;
}

void DrawText(const Skin& s, Canvas& c, const std::string& text, int x, int y, Rgb ink, int scale) {
    for (char ch : text) {
        char key = (char)std::toupper((unsigned char)ch);
        auto it = s.font.find(key);
        if (it != s.font.end()) DrawGlyph(c, it->second, x, y, ink, scale);
        x += FONT_ADVANCE * scale;
    }
}

// Seven segments (a top, b upper right, c lower right, d bottom, e lower left, f upper left,
// g middle) in a w x h box with strokes t thick; unlit segments in `off`, for the LCD's ghost.
void DrawSegmentDigit(Canvas& c, char ch, int x, int y, int w, int h, int t, Rgb on, Rgb off) {
    static const char* const LIT[] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                      "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    std::string lit = ch >= '0' && ch <= '9' ? LIT[ch - '0'] : ch == '-' ? "g" : "";
    int mid = (h - t) / 2;
    struct Segment {
        char name;
        int x, y, w, h;
    };
    const Segment segs[] = {
        {'a', x + t,     y,           w - 2 * t, t              },
        {'b', x + w - t, y + t,       t,         mid - t        },
        {'c', x + w - t, y + mid + t, t,         h - mid - 2 * t},
        {'d', x + t,     y + h - t,   w - 2 * t, t              },
        {'e', x,         y + mid + t, t,         h - mid - 2 * t},
        {'f', x,         y + t,       t,         mid - t        },
        {'g', x + t,     y + mid,     w - 2 * t, t              },
    };
    for (const Segment& sg : segs)
        FillRect(c, sg.x, sg.y, sg.w, sg.h, lit.find(sg.name) != std::string::npos ? on : off);
}

void DrawKey(Canvas& c, int x, int y, int w, int h, const KeyStyle& st) {
    FrameRect(c, x, y, w, h, st.edge);
    VerticalGradient(c, x + 1, y + 1, w - 2, h - 2, Shade(st.face, 10), Shade(st.face, -10));
    Bevel(c, x + 1, y + 1, w - 2, h - 2, st.hi, st.lo);
}

const KeyStyle& Style(const Skin& s, const SourceLine& l, size_t k) {
    if (k >= l.words.size()) Fail(l, "missing key style");
    auto it = s.styles.find(l.words[k]);
    if (it == s.styles.end()) Fail(l, "unknown key style " + l.words[k]);
    return it->second;
}

// "label COL TEXT [ink=COLOUR] [at=DX,DY]" and "mark COL ICON [ink=..] [at=..]": the same
// content in every row's cell of a column of the key grid, centred (then moved by DX,DY), in the
// row style's ink unless the line names its own (which rows in a dim style ignore).
void DrawInColumn(const Skin& s, Canvas& c, const KeyGrid& g, const SourceLine& l, int isIcon) {
    if (!g.set) Fail(l, "no key grid (keys) before this line");
    int col = Number(l, 1);
    int hasInk = 0, dx = 0, dy = 0;
    Rgb own = 0;
    for (size_t k = 3; k < l.words.size(); ++k) {
        const std::string& w = l.words[k];
        if (w.compare(0, 4, "ink=") == 0) {
            SourceLine one{l.file, l.number, {w.substr(4)}};
            own = Colour(s, one, 0);
            hasInk = 1;
        } else if (w.compare(0, 3, "at=") == 0 && std::sscanf(w.c_str() + 3, "%d,%d", &dx, &dy) == 2) {
        } else {
            Fail(l, "expected ink=COLOUR or at=DX,DY: " + w);
        }
    }
    for (int row = 0; row < KEY_ROWS && row * g.cellH < c.h; ++row) {
        const KeyStyle& st = g.rows[row];
        Rgb ink = hasInk && !st.dim ? own : st.ink;
        int x0 = col * g.cellW + st.pressed + dx, y0 = row * g.cellH + st.pressed + dy;
        if (isIcon) {
            const Glyph& ic = Icon(s, l, 2);
            DrawGlyph(c, ic, x0 + (g.cellW - ic.w) / 2, y0 + (g.cellH - ic.h) / 2, ink, 1);
        } else {
            std::string text = Text(l, 2);
            DrawText(s, c, text, x0 + (g.cellW - TextWidth(text, 1)) / 2, y0 + (g.cellH - FONT_H) / 2, ink, 1);
        }
    }
}

// Ordered dither: of every 8 x 8 block, the `level` (0..64) pixels of lowest rank are set, so a
// higher level always covers the pixels of every lower one.
void Dither(Canvas& c, int x, int y, int w, int h, Rgb colour, int level) {
    static const int RANK[8][8] = {
        {0,  32, 8,  40, 2,  34, 10, 42},
        {48, 16, 56, 24, 50, 18, 58, 26},
        {12, 44, 4,  36, 14, 46, 6,  38},
        {60, 28, 52, 20, 62, 30, 54, 22},
        {3,  35, 11, 43, 1,  33, 9,  41},
        {51, 19, 59, 27, 49, 17, 57, 25},
        {15, 47, 7,  39, 13, 45, 5,  37},
        {63, 31, 55, 23, 61, 29, 53, 21}
    };
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (RANK[j % 8][i % 8] < level) Plot(c, x + i, y + j, colour);
}

void RunCommand(const Skin& s, Canvas& c, KeyGrid& grid, const SourceLine& l) {
    const std::string& op = l.words[0];
    auto n = [&](size_t k) { return Number(l, k); };
    if (op == "fill") {
        FillRect(c, n(1), n(2), n(3), n(4), Colour(s, l, 5));
    } else if (op == "rect") {
        FrameRect(c, n(1), n(2), n(3), n(4), Colour(s, l, 5));
    } else if (op == "gradient") {
        VerticalGradient(c, n(1), n(2), n(3), n(4), Colour(s, l, 5), Colour(s, l, 6));
    } else if (op == "bevel") {
        Bevel(c, n(1), n(2), n(3), n(4), Colour(s, l, 5), Colour(s, l, 6));
    } else if (op == "brushed") {
        Brushed(c, n(1), n(2), n(3), n(4), Colour(s, l, 5), l.words.size() > 6 ? n(6) : 0);
    } else if (op == "line") {
        Line(c, n(1), n(2), n(3), n(4), Colour(s, l, 5));
    } else if (op == "text" || op == "ctext") {
        int box = op == "ctext";
        size_t k = box ? 5 : 3;
        std::string text = Text(l, k + 1);
        int scale = l.words.size() > k + 2 ? n(k + 2) : 1;
        int x = n(1), y = n(2);
        if (box) x += (n(3) - TextWidth(text, scale)) / 2, y += (n(4) - FONT_H * scale) / 2;
        DrawText(s, c, text, x, y, Colour(s, l, k), scale);
    } else if (op == "icon" || op == "cicon") {
        int box = op == "cicon";
        size_t k = box ? 5 : 3;
        const Glyph& g = Icon(s, l, k + 1);
        int scale = l.words.size() > k + 2 ? n(k + 2) : 1;
        int x = n(1), y = n(2);
        if (box) x += (n(3) - g.w * scale) / 2, y += (n(4) - g.h * scale) / 2;
        DrawGlyph(c, g, x, y, Colour(s, l, k), scale);
    } else if (op == "seg") {
        // seg X Y W H THICKNESS ON OFF "DIGITS" [ADVANCE]
        std::string digits = Text(l, 8);
        int advance = l.words.size() > 9 ? n(9) : n(3);
        for (size_t i = 0; i < digits.size(); ++i)
            DrawSegmentDigit(c, digits[i], n(1) + (int)i * advance, n(2), n(3), n(4), n(5), Colour(s, l, 6),
                             Colour(s, l, 7));
    } else if (op == "dither") {
        Dither(c, n(1), n(2), n(3), n(4), Colour(s, l, 5), n(6));
    } else if (op == "key") {
        DrawKey(c, n(1), n(2), n(3), n(4), Style(s, l, 5));
    } else if (op == "keys") {
        // keys CELL_W CELL_H STYLE_ROW0 .. STYLE_ROW3: a key in every cell of the picture
        grid.cellW = n(1);
        grid.cellH = n(2);
        if (grid.cellW <= 0 || grid.cellH <= 0 || c.w % grid.cellW || c.h % grid.cellH)
            Fail(l, "cells do not tile the picture");
        int rows = c.h / grid.cellH;
        if (rows > KEY_ROWS || (int)l.words.size() != 3 + rows) Fail(l, "one key style per row");
        for (int r = 0; r < rows; ++r) grid.rows[r] = Style(s, l, 3 + r);
        grid.set = 1;
        for (int r = 0; r < rows; ++r)
            for (int col = 0; col < c.w / grid.cellW; ++col)
                DrawKey(c, col * grid.cellW, r * grid.cellH, grid.cellW, grid.cellH, grid.rows[r]);
    } else if (op == "label") {
        DrawInColumn(s, c, grid, l, 0);
    } else if (op == "mark") {
        DrawInColumn(s, c, grid, l, 1);
    } else {
        Fail(l, "unknown command " + op);
    }
}

void ReadFile(Skin& s, const std::string& path, const std::string& shortName) {
    std::ifstream in(path);
    std::string text;
    int number = 0;
    Glyph* openIcon = nullptr;
    SourceLine iconLine;
    while (std::getline(in, text)) {
        SourceLine l{shortName, ++number, SplitWords(text)};
        if (l.words.empty()) continue;
        const std::string& op = l.words[0];
        if (openIcon) {
            if (op == "end") {
                if (openIcon->rows.empty()) Fail(iconLine, "empty icon");
                openIcon = nullptr;
                continue;
            }
            openIcon->rows.push_back(op);
            openIcon->w = std::max(openIcon->w, (int)op.size());
            openIcon->h = (int)openIcon->rows.size();
            continue;
        }
        if (op == "colour") {
            s.colours[l.words.at(1)] = Colour(s, l, 2);
        } else if (op == "style") {
            KeyStyle st{};
            for (size_t k = 2; k < l.words.size(); ++k) {
                const std::string& w = l.words[k];
                size_t eq = w.find('=');
                if (w == "pressed") {
                    st.pressed = 1;
                    continue;
                }
                if (w == "dim") {
                    st.dim = 1;
                    continue;
                }
                if (eq == std::string::npos) Fail(l, "expected key=colour: " + w);
                SourceLine one{l.file, l.number, {w.substr(eq + 1)}};
                Rgb v = Colour(s, one, 0);
                std::string key = w.substr(0, eq);
                if (key == "face")
                    st.face = v;
                else if (key == "hi")
                    st.hi = v;
                else if (key == "lo")
                    st.lo = v;
                else if (key == "edge")
                    st.edge = v;
                else if (key == "ink")
                    st.ink = v;
                else
                    Fail(l, "unknown style part " + key);
            }
            s.styles[l.words.at(1)] = st;
        } else if (op == "char") {
            if (l.words.size() != 2 + FONT_H || l.words[1].size() != 1) Fail(l, "char X and five rows");
            Glyph g{FONT_W, FONT_H, std::vector<std::string>(l.words.begin() + 2, l.words.end())};
            s.font[l.words[1][0]] = g;
        } else if (op == "icon" && l.words.size() == 2) {
            openIcon = &s.icons[l.words[1]];
            *openIcon = Glyph{0, 0, {}};
            iconLine = l;
        } else if (op == "bitmap") {
            // bitmap NAME:BPP [NAME:BPP ...] W H
            Picture p{};
            if (l.words.size() < 4) Fail(l, "bitmap NAME:BPP ... W H");
            for (size_t k = 1; k + 2 < l.words.size(); ++k) {
                size_t colon = l.words[k].find(':');
                if (colon == std::string::npos) Fail(l, "expected NAME:BPP");
                p.outputs.push_back({l.words[k].substr(0, colon), std::atoi(l.words[k].c_str() + colon + 1)});
            }
            p.w = Number(l, l.words.size() - 2);
            p.h = Number(l, l.words.size() - 1);
            if (p.w <= 0 || p.h <= 0) Fail(l, "bad size");
            s.pictures.push_back(p);
        } else {
            if (s.pictures.empty()) Fail(l, "drawing before the first bitmap line");
            s.pictures.back().commands.push_back(l);
        }
    }
    if (openIcon) Fail(iconLine, "icon without end");
}

std::vector<std::string> SkinFiles(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n.size() > 5 && n.compare(n.size() - 5, 5, ".skin") == 0) names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Lower(std::string s) {
    for (char& ch : s) ch = (char)std::tolower((unsigned char)ch);
    return s;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: skingen DESCRIPTION_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    std::string in = argv[1], out = argv[2];
    Skin skin;
    std::vector<std::string> files = SkinFiles(in);
    if (files.empty()) {
        std::fprintf(stderr, "skingen: no .skin files in %s\n", in.c_str());
        return 1;
    }
    for (const std::string& f : files) ReadFile(skin, in + "/" + f, f);
    mkdir(out.c_str(), 0755);  // an existing folder is fine; a failed write is reported below

    // Colours and styles may be defined after the pictures that use them: draw only now.
    std::ostringstream rc, manifest;
    rc << "// Generated by skingen from src/resources/skin; edit the descriptions, not this file.\n";
    for (const Picture& p : skin.pictures) {
        Canvas c = MakeCanvas(p.w, p.h);
        KeyGrid grid{};
        for (const SourceLine& l : p.commands) RunCommand(skin, c, grid, l);
        for (const Output& o : p.outputs) {
            std::string file = out + "/" + Lower(o.name) + ".bmp";
            if (!WritePaletteBitmap(c, o.bpp, file)) {
                std::fprintf(stderr, "skingen: cannot write %s (%d bits)\n", file.c_str(), o.bpp);
                return 1;
            }
            rc << o.name << " BITMAP \"" << file << "\"\n";
            manifest << o.name << ' ' << file << ' ' << p.w << ' ' << p.h << ' ' << o.bpp << ' ' << grid.cellW << ' '
                     << grid.cellH << '\n';
        }
    }
    std::ofstream(out + "/skin.rc") << rc.str();
    std::ofstream(out + "/skin_manifest.txt") << manifest.str();
    return 0;
}
