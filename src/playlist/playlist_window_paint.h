// Drawing the playlist window from the skin's bitmaps: the frame that fills its background, the
// totals panel, the name plate and the seven buttons. Win32 only (the handles are passed as
// void*, as the face does); what goes where comes from playlist_view.h.
#pragma once
#include <cstdint>

#include "playlist/playlist_view.h"

struct PanelValues {
    uint32_t totalMs;  // the list's shown total
    int count;         // entries
    int pending;       // some entry still waits for its probe
};

void PaintListBackground(void* dc, int clientW, int clientH);
void PaintListPanel(void* dc, const ViewRect& at, const PanelValues& values);
void PaintListLogo(void* dc, const ViewRect& at);
// buttonIndex in control-id order (0 Up .. 6 Close).
void DrawListButton(void* dc, const ViewRect& at, int buttonIndex, int pressed, int disabled);
