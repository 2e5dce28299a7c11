// Dialog look geometry and the version record's value names (see dialog_look.h).
#include "display/dialog_look.h"

#include "base/system_info.h"
#include <cctype>
#include <cstdio>

namespace {

int SameNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::toupper((unsigned char)*a) != std::toupper((unsigned char)*b)) return 0;
    return *a == *b;
}

// a * b / c rounded to the nearest integer, as the platform's multiply-divide does.
int MulDivRound(int a, int b, int c) {
    long long p = (long long)a * b;
    return (int)(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

// Left and top in one colour, right and bottom in the other: raised (white first) or sunken.
int Edge(const LookRect& r, LookColour leftTop, LookColour rightBottom, LookLine* out) {
    out[0] = {r.left, r.top, r.left, r.bottom, leftTop};
    out[1] = {r.left, r.top, r.right, r.top, leftTop};
    out[2] = {r.right - 1, r.top, r.right - 1, r.bottom, rightBottom};
    out[3] = {r.left, r.bottom - 1, r.right, r.bottom - 1, rightBottom};
    return 4;
}
}  // namespace

int ChildFrameKind(const ChildTraits& c) {
    int isStatic = SameNoCase(c.className, "STATIC"), isButton = SameNoCase(c.className, "BUTTON");
    if (isStatic) {
        if (c.visible || c.hasText) return LOOK_FRAME_NONE;
        return c.groupStart && c.tabStop ? LOOK_FRAME_SUNKEN : LOOK_FRAME_ETCHED;
    }
    if (isButton) return c.visible && c.tabStop && c.groupStart ? LOOK_FRAME_SUNKEN : LOOK_FRAME_NONE;
    return c.visible && c.tabStop ? LOOK_FRAME_SUNKEN : LOOK_FRAME_NONE;
}

int ChildFrameLines(int kind, const LookRect& child, LookLine* out) {
    LookRect r = {child.left - 1, child.top - 1, child.right, child.bottom};
    if (kind == LOOK_FRAME_SUNKEN) return Edge(r, LOOK_SHADOW, LOOK_WHITE, out);
    if (kind != LOOK_FRAME_ETCHED) return 0;
    // A white rectangle with its shadow one pixel up and left: left and top shadow lines lie
    // outside the white ones, right and bottom ones inside.
    int n = Edge(r, LOOK_WHITE, LOOK_WHITE, out);
    out[n++] = {r.left - 1, r.top - 1, r.left - 1, r.bottom - 1, LOOK_SHADOW};
    out[n++] = {r.left - 1, r.top - 1, r.right - 1, r.top - 1, LOOK_SHADOW};
    out[n++] = {r.right - 2, r.top, r.right - 2, r.bottom - 1, LOOK_SHADOW};
    out[n++] = {r.left, r.bottom - 2, r.right - 1, r.bottom - 2, LOOK_SHADOW};
    return n;
}

int OuterFrameLines(const LookRect& client, int baseUnitHeight, LookLine* out) {
    int inset = MulDivRound(2, baseUnitHeight, 8);
    LookRect r = {client.left + inset, client.top + inset, client.right - inset, client.bottom - inset};
    return Edge(r, LOOK_WHITE, LOOK_SHADOW, out);
}

int WatermarkRows(int textWidth, int textHeight, int clientHeight, WatermarkRow* rowsOut, int maxRows) {
    if (textWidth <= 0 || textHeight <= 0) return 0;
    int n = 0;
    for (int y = -textHeight / 2; y < clientHeight && n < maxRows; y += textHeight, ++n)
        rowsOut[n] = {n % 2 ? -textWidth / 2 : 0, y};
    return n;
}

const char* VersionBlockFor(uint16_t langId) { return langId == LANGUAGE_JAPANESE ? "041104b0" : "040904b0"; }

void VersionValuePath(int which, uint16_t langId, char* out, int outBytes) {
    std::snprintf(out, (size_t)outBytes, "\\StringFileInfo\\%s\\%s", VersionBlockFor(langId),
                  which == VERSION_PRODUCT ? "ProductVersion" : "LegalCopyright");
}
