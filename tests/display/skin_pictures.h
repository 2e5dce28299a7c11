// The skin pictures the program loads, with the size and depth each must have: the generated
// bitmaps are checked against this table, and the face's layout cells are checked to lie inside it.
#pragma once
#include "resources/resource.h"

struct Expected {
    const char* name;
    int id;
    int w, h, bpp;
    int cellW, cellH;  // key strips: the cell size; 0 for other pictures
};

#define PICTURE(id, w, h, bpp, cw, ch) \
    { #id, id, w, h, bpp, cw, ch }
#define PAIR(id, w, h, cw, ch) \
    {#id "_16", id##_16, w, h, 4, cw, ch}, { #id, id, w, h, 8, cw, ch }

const Expected PICTURES[] = {
    PAIR(IDB_FRAME, 24, 32, 0, 0),
    PAIR(IDB_CORNER, 73, 13, 0, 0),
    PAIR(IDB_BADGE, 76, 24, 0, 0),
    PAIR(IDB_NAMEPLATE, 78, 11, 0, 0),
    PAIR(IDB_TICKER_PANEL, 222, 23, 0, 0),
    PAIR(IDB_BTN_SELECT_FILE, 26, 52, 26, 13),
    PAIR(IDB_BTN_SELECTOR, 36, 60, 36, 15),
    PAIR(IDB_BTN_WINDOW, 36, 64, 18, 16),
    PAIR(IDB_BTN_LIST, 70, 36, 35, 9),
    PAIR(IDB_LABEL_INPUT, 61, 9, 0, 0),
    PAIR(IDB_BTN_INPUT, 29, 104, 29, 26),
    PAIR(IDB_BTN_FORMAT, 272, 44, 34, 11),
    PAIR(IDB_BTN_MUTE, 20, 36, 20, 9),
    PAIR(IDB_BTN_REPEAT, 70, 48, 35, 12),
    PAIR(IDB_BTN_TRANSPORT, 360, 52, 30, 13),
    PAIR(IDB_GROOVE, 24, 17, 0, 0),
    PAIR(IDB_PANEL_TILES, 60, 47, 0, 0),
    PAIR(IDB_BTN_CLOSE, 37, 64, 37, 16),
    PAIR(IDB_BTN_CLOSE_THIN, 29, 64, 29, 16),
    PAIR(IDB_LABEL_SOURCE, 60, 9, 0, 0),
    PAIR(IDB_THIN_FRAME, 15, 20, 0, 0),
    PICTURE(IDB_RATE_GLYPHS, 172, 22, 8, 0, 0),
    PAIR(IDB_METER_CELLS, 12, 3, 0, 0),
    PICTURE(IDB_TIME_DIGITS, 105, 13, 8, 0, 0),
    PICTURE(IDB_SLIDER_TRACK, 21, 9, 8, 0, 0),
    PICTURE(IDB_SLIDER_THUMB, 7, 9, 8, 0, 0),
    PICTURE(IDB_SLIDER_TRACK_16, 21, 9, 4, 0, 0),
    PICTURE(IDB_SLIDER_THUMB_16, 7, 9, 4, 0, 0),
    PAIR(IDB_PLAYLIST_BUTTONS, 280, 56, 40, 14),
    PICTURE(IDB_ABOUT_LOGO, 201, 25, 8, 0, 0),
    PICTURE(IDB_LOGO_STEP_1, 8, 8, 4, 0, 0),
    PICTURE(IDB_LOGO_STEP_2, 8, 8, 4, 0, 0),
    PICTURE(IDB_LOGO_STEP_3, 8, 8, 4, 0, 0),
    PICTURE(IDB_LOGO_STEP_4, 8, 8, 4, 0, 0),
    PICTURE(IDB_LOGO_STEP_5, 8, 8, 4, 0, 0),
    PICTURE(IDB_LOGO_STEP_6, 8, 8, 4, 0, 0),
    PAIR(IDB_METER_MARKS, 12, 3, 0, 0),
    PICTURE(IDB_BROWSE, 16, 14, 8, 0, 0),
    PICTURE(IDB_SAVE_BROWSE, 16, 14, 8, 0, 0),
    PICTURE(IDB_PREVIEW_PLAY, 16, 14, 8, 0, 0),
    PICTURE(IDB_PREVIEW_STOP, 16, 14, 8, 0, 0),
};
