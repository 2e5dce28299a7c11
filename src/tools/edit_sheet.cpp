// Portable routines of the Edit sheet's pages (see edit_sheet.h).
#include "tools/edit_sheet.h"
#include <cstdio>
#include "media/tag_editor.h"
#include "playback/playback_control.h"

namespace {

struct EditSheetModule {
    HeldTrack tagSave;  // the stopped track a Tag Editor save closed, reopened after its writes
};
EditSheetModule g_edit;

int HoldTrackForTagSave() { return HoldTrackForWrite(&g_edit.tagSave); }
void ResumeTrackAfterTagSave() { ResumeHeldTrack(&g_edit.tagSave); }

}  // namespace

void HoldTrackAroundTagSaves(int on) {
    g_edit = EditSheetModule{};
    if (on)
        SetTagWriteHooks(HoldTrackForTagSave, ResumeTrackAfterTagSave);
    else
        SetTagWriteHooks(nullptr, nullptr);
}

int32_t ScalePosition(double scale, double value, double whole) {
    return whole == 0 ? int32_t(scale * value) : int32_t(scale * (value / whole));
}

void FormatTimeMs(char* text, uint32_t ms) {
    unsigned hours = ms / 3600000, minutes = ms / 60000 % 60, seconds = ms / 1000 % 60, tenths = ms % 1000 / 100;
    std::snprintf(text, TIME_TEXT_BYTES, " %03u:%02u:%02u.%01u", hours, minutes, seconds, tenths);
}

uint32_t CutLength(uint32_t inMs, uint32_t outMs) { return outMs > inMs ? outMs - inMs : 0; }

uint32_t SpinPosition(uint32_t ms, int steps, uint32_t length) {
    int64_t v = int64_t(ms) + int64_t(steps) * SPIN_STEP_MS;
    if (v > int64_t(length)) v = length;
    if (v < 0) v = 0;
    return uint32_t(v);
}

void CentreRect(const EditRect* reference, const EditRect* window, int screenWidth, int screenHeight, int* leftOut,
                int* topOut) {
    int width = window->right - window->left, height = window->bottom - window->top;
    int left = (reference->left + reference->right) / 2 - width / 2;
    int top = (reference->top + reference->bottom) / 2 - height / 2;
    if (left + width > screenWidth) left = screenWidth - width;
    if (top + height > screenHeight) top = screenHeight - height;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    *leftOut = left;
    *topOut = top;
}
