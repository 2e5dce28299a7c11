// The program's own dialog look: a silver face with a watermark of the product name, a raised
// outer frame, and sunken or etched frames around marked controls. A dialog procedure hands every
// message to DialogLook first. The frame geometry is portable (dialog_look.cpp) so it is tested
// without the platform; the drawing is dialog_look_win32.cpp.
#pragma once
#include <cstdint>

// Win32 only. Returns the brush (non-null) when the look handled the message; the dialog
// procedure returns that brush as its result. Painting is done here too but returns null, so the
// dialog goes on as for an unhandled message.
void* DialogLook(void* dialog, unsigned message, uintptr_t wParam, intptr_t lParam);

struct LookRect {
    int left, top, right, bottom;
};

// Colours of the look's lines.
enum LookColour { LOOK_WHITE = 0, LOOK_SHADOW = 1 };
struct LookLine {
    int x1, y1, x2, y2;  // from (x1, y1) up to, not including, (x2, y2)
    LookColour colour;
};
enum { LOOK_MAX_LINES = 8 };

// What frame a child control gets, from its window class ("STATIC", "BUTTON" or other, any case)
// and styles. Hidden, text-less static controls of a template are the frame markers.
enum { LOOK_FRAME_NONE = 0, LOOK_FRAME_SUNKEN = 1, LOOK_FRAME_ETCHED = 2 };
struct ChildTraits {
    const char* className;
    int visible, tabStop, groupStart, hasText;
};
int ChildFrameKind(const ChildTraits& child);

// The lines of a frame around a child's rectangle (client coordinates); returns how many.
// The frame lies one pixel outside the child on the left and top, on its right and bottom edges.
int ChildFrameLines(int kind, const LookRect& child, LookLine* linesOut);
// The raised outer frame: the client rectangle inset by 2/8 of the dialog's base unit height.
int OuterFrameLines(const LookRect& client, int baseUnitHeight, LookLine* linesOut);

// The watermark rows: text of the given size repeated across the client, rows as high as the
// text starting half a text height above the top, every other row shifted left by half the text.
struct WatermarkRow {
    int x, y;  // where the row's first copy starts
};
int WatermarkRows(int textWidth, int textHeight, int clientHeight, WatermarkRow* rowsOut, int maxRows);

// The version record's string table for a system language: Japanese (1041) or English.
const char* VersionBlockFor(uint16_t langId);
enum { VERSION_LEGAL = 0, VERSION_PRODUCT = 1 };
// "\StringFileInfo\<block>\ProductVersion" or "...\LegalCopyright".
void VersionValuePath(int which, uint16_t langId, char* out, int outBytes);
