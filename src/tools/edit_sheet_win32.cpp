// The Edit sheet (Windows build): a modal property sheet with the Tag Editor, Divide and Combine
// pages, the file chooser the pages share, and the Divide page's preview player. The preview
// uses playback control: the deck closes its own track before it opens the sheet, so the
// player is free while the sheet is up.
#include "base/path_names.h"
#include "tools/edit_sheet.h"
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include "base/message_box.h"
#include "base/shell_handles.h"
#include "media/media_probe.h"
#include "media/tag_editor.h"
#include "media/tag_editor_page.h"
#include "playback/mci_windows.h"
#include "playback/playback_control.h"
#include "playlist/playlist_model.h"
#include "resources/resource.h"
#include "tools/combine.h"
#include "tools/divide.h"
#include "tools/tool_output.h"

namespace {

enum {
    SHEET_PATH_BYTES = 257,  // the sheet's path: up to 256 characters
    CHOOSER_FILE_BYTES = 256,
    SPIN_REST = 10,  // the spins sit at 10 between steps (range 20 at the bottom to 0 at the top)
    SPIN_BOTTOM = 20,
    EDIT_TIMER_ID = 1,
    PAGE_COUNT = 3,
};

struct SheetState {
    HWND owner;  // the window that opened the sheet
    HINSTANCE instance;
    char path[SHEET_PATH_BYTES];  // the file the sheet was opened with
    char folder[MAX_PATH];        // where the chooser starts
};

struct DividePage {
    char source[TOOL_PATH_BYTES];
    char destination[TOOL_PATH_BYTES];
    uint32_t in, out, length, position;  // ms
    uint32_t playStart;                  // where the last preview play started
    int statusBeforeDrag;                // preview status when a thumb drag began; -1 outside a drag
    int thumbZero;                       // the thumb's centre at position 0, in bar pixels
    int thumbTravel;                     // its left edge at 1000 minus at 0
    int active;                          // the page is in front; hidden, its timer leaves the position alone
    HBITMAP bitmaps[4];
};

struct CombinePage {
    char file1[TOOL_PATH_BYTES], file2[TOOL_PATH_BYTES], destination[TOOL_PATH_BYTES];
    HBITMAP bitmaps[3];
};

SheetState g_sheet;
DividePage g_divide;
CombinePage g_combine;

// ---- shared routines -------------------------------------------------------------------------

void CentreWindow(HWND reference, HWND window) {
    RECT r, w;
    if (!GetWindowRect(window, &w)) return;
    if (!reference || !GetWindowRect(reference, &r)) r = w;
    EditRect ref{r.left, r.top, r.right, r.bottom}, win{w.left, w.top, w.right, w.bottom};
    int left = 0, top = 0;
    CentreRect(&ref, &win, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), &left, &top);
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RememberFolder(const char* path) {
    const char* name = FileNameOf(path);
    size_t n = size_t(name - path);
    if (n >= sizeof g_sheet.folder) return;
    std::memcpy(g_sheet.folder, path, n);
    g_sheet.folder[n] = 0;
}

int ChooseSoundFile(HWND page, char* pathOut, int save) {
    pathOut[0] = 0;
    char filter[512] = "", title[128] = "";
    LoadStringA(g_sheet.instance, save ? STR_SAVE_FILE_FILTER : STR_LOAD_FILE_FILTER, filter, sizeof filter - 2);
    LoadStringA(g_sheet.instance, save ? STR_SAVE_FILE_TITLE : STR_LOAD_FILE_TITLE, title, sizeof title);
    for (char* p = filter; *p; p++)
        if (*p == '|') *p = 0;
    char file[CHOOSER_FILE_BYTES] = "";
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetParent(page);
    ofn.lpstrFilter = filter[0] ? filter : nullptr;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = g_sheet.folder[0] ? g_sheet.folder : nullptr;
    ofn.lpstrTitle = title[0] ? title : nullptr;
    // The same options for saving: the destination is chosen, its existence asked about later.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | (save ? 0 : OFN_FILEMUSTEXIST);
    int ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!ok) return 0;
    std::snprintf(pathOut, TOOL_PATH_BYTES, "%s", file);
    RememberFolder(file);
    return 1;
}

void ShowName(HWND page, int id, const char* path) {
    char shown[TOOL_PATH_BYTES + 2];
    std::snprintf(shown, sizeof shown, " %s", path);
    SetDlgItemTextA(page, id, shown);
}

void ShowTime(HWND page, int id, uint32_t ms) {
    char text[TIME_TEXT_BYTES];
    FormatTimeMs(text, ms);
    SetDlgItemTextA(page, id, text);
}

HBITMAP PutBitmap(HWND page, int buttonId, int bitmapId) {
    HBITMAP bitmap =
        HBITMAP(LoadImageA(g_sheet.instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    if (!bitmap) return nullptr;  // the button keeps its text
    HWND button = GetDlgItem(page, buttonId);
    SetWindowLongPtrA(button, GWL_STYLE, GetWindowLongPtrA(button, GWL_STYLE) | BS_BITMAP);
    SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, LPARAM(bitmap));
    return bitmap;
}

void FreeBitmaps(HBITMAP* bitmaps, int count) {
    for (int i = 0; i < count; i++)
        if (bitmaps[i]) DeleteObject(bitmaps[i]), bitmaps[i] = nullptr;
}

INT_PTR NotifyResult(HWND page, LONG_PTR result) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

// ---- Divide page -----------------------------------------------------------------------------

void ShowInOut(HWND page) {
    ShowTime(page, IDC_IN_TIME, g_divide.in);
    ShowTime(page, IDC_OUT_TIME, g_divide.out);
    ShowTime(page, IDC_CUT_LENGTH, CutLength(g_divide.in, g_divide.out));
}

void EnableDivide(HWND page) {
    EnableWindow(GetDlgItem(page, IDC_RUN_TOOL), g_divide.source[0] && g_divide.destination[0]);
}

// Opens the source in the preview; a failure clears the name shown.
void OpenPreview(HWND page) {
    if (!g_divide.source[0]) return;
    if (!OpenTrack(g_divide.source)) SetDlgItemTextA(page, IDC_SOURCE_NAME, "");
}

void ShowPosition(HWND page, uint32_t ms) {
    ShowTime(page, IDC_POSITION_TIME, ms);
    int32_t bar = ms == 0 ? 0 : ScalePosition(TRACK_BAR_RANGE, ms, g_divide.length);
    SendDlgItemMessageA(page, IDC_POSITION_BAR, TBM_SETPOS, TRUE, bar);
}

void TakeSource(HWND page, const char* path) {
    std::snprintf(g_divide.source, sizeof g_divide.source, "%s", path);
    ShowName(page, IDC_SOURCE_NAME, path);
    GetMediaLength(path, &g_divide.length);
    g_divide.in = 0;
    g_divide.out = g_divide.length;
    g_divide.position = 0;
    ShowInOut(page);
}

void MeasureThumb(HWND page) {
    HWND bar = GetDlgItem(page, IDC_POSITION_BAR);
    RECT atEnd, atStart;
    SendMessageA(bar, TBM_SETPOS, TRUE, TRACK_BAR_RANGE);
    SendMessageA(bar, TBM_GETTHUMBRECT, 0, LPARAM(&atEnd));
    SendMessageA(bar, TBM_SETPOS, TRUE, 0);
    SendMessageA(bar, TBM_GETTHUMBRECT, 0, LPARAM(&atStart));
    g_divide.thumbZero = (atStart.left + atStart.right) / 2;
    g_divide.thumbTravel = atEnd.left - atStart.left;
}

INT_PTR DivideInit(HWND page) {
    SetMessageOwner(GetParent(page));
    g_divide = DividePage{};
    g_divide.statusBeforeDrag = -1;
    g_divide.bitmaps[0] = PutBitmap(page, IDC_SOURCE_BROWSE, IDB_BROWSE);
    g_divide.bitmaps[1] = PutBitmap(page, IDC_PREVIEW_PLAY, IDB_PREVIEW_PLAY);
    g_divide.bitmaps[2] = PutBitmap(page, IDC_PREVIEW_STOP, IDB_PREVIEW_STOP);
    g_divide.bitmaps[3] = PutBitmap(page, IDC_DEST_BROWSE, IDB_SAVE_BROWSE);
    ShowInOut(page);
    ShowTime(page, IDC_POSITION_TIME, 0);
    // The preview plays WAVE and MIDI sources through the deck's media control window, which the
    // deck made at start-up; without it the page says so and still divides (only the preview of
    // those files is missing).
    if (!PlaybackWindow() || !IsWindow(HWND(PlaybackWindow())))
        MessageBoxA(GetParent(page), "not open MCI window", "error", MB_OK);
    SetTimer(page, EDIT_TIMER_ID, EDIT_TIMER_MS, nullptr);
    SendDlgItemMessageA(page, IDC_POSITION_BAR, TBM_SETRANGE, TRUE, MAKELPARAM(0, TRACK_BAR_RANGE));
    SendDlgItemMessageA(page, IDC_POSITION_BAR, TBM_SETPAGESIZE, 0, 1);
    MeasureThumb(page);
    for (int id : {IDC_IN_SPIN, IDC_OUT_SPIN}) {
        SendDlgItemMessageA(page, id, UDM_SETBASE, 10, 0);
        SendDlgItemMessageA(page, id, UDM_SETRANGE, 0, MAKELPARAM(0, SPIN_BOTTOM));
        SendDlgItemMessageA(page, id, UDM_SETPOS, 0, MAKELPARAM(SPIN_REST, 0));
    }
    EnableWindow(GetDlgItem(page, IDC_RUN_TOOL), FALSE);
    SetDlgItemTextA(page, IDC_DEST_NAME, "");
    if (g_sheet.path[0]) TakeSource(page, g_sheet.path);
    return TRUE;
}

void DivideTimer(HWND page) {
    // Behind another tab the preview is closed: its position reads 0 and would overwrite the
    // place the user left it at, which the page returns to when it is shown again.
    if (!g_divide.active) return;
    uint32_t ms = 0;
    GetTrackPosition(&ms);
    if (ms != g_divide.position) {
        g_divide.position = ms;
        ShowPosition(page, ms);
    }
    // A preview started before Out stops there, so the cut can be heard to its end.
    if (GetTrackStatus() == TRACK_PLAYING && g_divide.playStart < g_divide.out && ms >= g_divide.out) StopTrack();
}

void DivideBrowseSource(HWND page) {
    uint32_t at = 0;
    GetTrackPosition(&at);
    CloseTrack();
    char chosen[TOOL_PATH_BYTES];
    if (ChooseSoundFile(page, chosen, 0)) {
        TakeSource(page, chosen);
        OpenPreview(page);
    } else {
        OpenPreview(page);
        SeekTrack(int32_t(at));
    }
    EnableDivide(page);
}

void DivideBrowseDestination(HWND page) {
    char chosen[TOOL_PATH_BYTES];
    if (ChooseSoundFile(page, chosen, 1)) {
        std::snprintf(g_divide.destination, sizeof g_divide.destination, "%s", chosen);
        ShowName(page, IDC_DEST_NAME, chosen);
    }
    EnableDivide(page);
}

void DivideRun(HWND page) {
    uint32_t at = 0;
    GetTrackPosition(&at);
    CloseTrack();
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    int ok = DivideFile(g_divide.destination, g_divide.source, g_divide.in, g_divide.out);
    SetCursor(old);
    ShowName(page, IDC_DEST_NAME, g_divide.destination);
    if (ok) ShowDeckMessage(STR_CREATED, g_divide.destination, JOIN_SPACE, MSGBOX_OK);
    OpenPreview(page);
    SeekTrack(int32_t(at));
}

void DivideSpin(HWND page, HWND spin) {
    int pos = LOWORD(SendMessageA(spin, UDM_GETPOS, 0, 0));
    int steps = SPIN_REST - pos;  // the top of the range is 0: up means fewer
    SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(SPIN_REST, 0));
    if (GetDlgCtrlID(spin) == IDC_IN_SPIN)
        g_divide.in = SpinPosition(g_divide.in, steps, g_divide.length);
    else
        g_divide.out = SpinPosition(g_divide.out, steps, g_divide.length);
    ShowInOut(page);
}

void DivideTrackBar(HWND page, int code) {
    HWND bar = GetDlgItem(page, IDC_POSITION_BAR);
    switch (code) {
    case TB_PAGEUP:
    case TB_PAGEDOWN: {  // a click beside the thumb: go where the mouse is
        StopTrack();
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(bar, &pt);
        int32_t ms = ScalePosition(g_divide.length, pt.x - g_divide.thumbZero, g_divide.thumbTravel);
        if (ms < 0) ms = 0;
        if (uint32_t(ms) > g_divide.length) ms = int32_t(g_divide.length);
        SeekTrack(ms);
        ShowPosition(page, uint32_t(ms));
        break;
    }
    case TB_THUMBTRACK: {
        if (g_divide.statusBeforeDrag < 0) {
            g_divide.statusBeforeDrag = GetTrackStatus();
            if (g_divide.statusBeforeDrag == TRACK_PLAYING) StopTrack();
        }
        int32_t pos = int32_t(SendMessageA(bar, TBM_GETPOS, 0, 0));
        ShowTime(page, IDC_POSITION_TIME, uint32_t(ScalePosition(g_divide.length, pos, TRACK_BAR_RANGE)));
        break;
    }
    case TB_THUMBPOSITION: {
        int32_t pos = int32_t(SendMessageA(bar, TBM_GETPOS, 0, 0));
        SeekTrack(ScalePosition(g_divide.length, pos, TRACK_BAR_RANGE));
        break;
    }
    case TB_ENDTRACK:
        if (g_divide.statusBeforeDrag == TRACK_PLAYING) PlayPreview();
        g_divide.statusBeforeDrag = -1;
        break;
    default: break;
    }
}

INT_PTR DivideCommand(HWND page, WPARAM wp) {
    if (HIWORD(wp) != BN_CLICKED) return FALSE;
    uint32_t ms = 0;
    switch (LOWORD(wp)) {
    case IDC_SOURCE_BROWSE: DivideBrowseSource(page); break;
    case IDC_DEST_BROWSE: DivideBrowseDestination(page); break;
    case IDC_PREVIEW_PLAY:
        GetTrackPosition(&g_divide.playStart);
        PlayPreview();
        break;
    case IDC_PREVIEW_STOP:
        if (GetTrackStatus() == TRACK_PLAYING)
            StopTrack();
        else
            SeekTrack(int32_t(g_divide.in));
        break;
    case IDC_SET_IN:
        GetTrackPosition(&ms);
        g_divide.in = ms;
        ShowInOut(page);
        break;
    case IDC_SET_OUT:
        GetTrackPosition(&ms);
        g_divide.out = ms;
        ShowInOut(page);
        break;
    case IDC_RUN_TOOL: DivideRun(page); break;
    default: return FALSE;
    }
    return TRUE;
}

INT_PTR CALLBACK DividePageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return DivideInit(page);
    case WM_TIMER: DivideTimer(page); return TRUE;
    case WM_COMMAND: return DivideCommand(page, wp);
    case WM_VSCROLL: DivideSpin(page, HWND(lp)); return TRUE;
    case WM_HSCROLL: DivideTrackBar(page, LOWORD(wp)); return TRUE;
    case WM_NOTIFY: {
        const NMHDR* nm = reinterpret_cast<const NMHDR*>(lp);
        if (nm->code == PSN_SETACTIVE) {
            uint32_t at = g_divide.position;
            OpenPreview(page);
            SeekTrack(int32_t(at));
            g_divide.active = 1;
            return NotifyResult(page, 0);
        }
        if (nm->code == PSN_KILLACTIVE) {
            GetTrackPosition(&g_divide.position);
            g_divide.active = 0;
            CloseTrack();
            return NotifyResult(page, FALSE);
        }
        return FALSE;
    }
    case WM_DESTROY:
        KillTimer(page, EDIT_TIMER_ID);
        CloseTrack();
        FreeBitmaps(g_divide.bitmaps, 4);
        return FALSE;
    default: return FALSE;
    }
}

// ---- Combine page ----------------------------------------------------------------------------

void EnableCombine(HWND page) {
    EnableWindow(GetDlgItem(page, IDC_RUN_TOOL), g_combine.file1[0] && g_combine.file2[0] && g_combine.destination[0]);
}

// Takes path as file 1 or 2 when it is a sound file the join knows; else everything stays.
void TakeCombineFile(HWND page, int which, const char* path) {
    MediaInfo info{};
    if (!GetMediaInfo(path, &info) || info.kind > MEDIA_MPEG) return;
    char line[MEDIA_TEXT_BYTES];
    FormatMediaLine(&info, which == 1 ? MEDIA_LINE_FIRST : MEDIA_LINE_SECOND, line);
    SetDlgItemTextA(page, which == 1 ? IDC_FILE1_FORMAT : IDC_FILE2_FORMAT, line);
    char* file = which == 1 ? g_combine.file1 : g_combine.file2;
    std::snprintf(file, TOOL_PATH_BYTES, "%s", path);
    ShowName(page, which == 1 ? IDC_FILE1_NAME : IDC_FILE2_NAME, path);
    EnableCombine(page);
}

INT_PTR CombineInit(HWND page) {
    SetMessageOwner(GetParent(page));
    g_combine = CombinePage{};
    g_combine.bitmaps[0] = PutBitmap(page, IDC_FILE1_BROWSE, IDB_BROWSE);
    g_combine.bitmaps[1] = PutBitmap(page, IDC_FILE2_BROWSE, IDB_BROWSE);
    g_combine.bitmaps[2] = PutBitmap(page, IDC_DEST_BROWSE, IDB_SAVE_BROWSE);
    EnableWindow(GetDlgItem(page, IDC_RUN_TOOL), FALSE);
    if (g_sheet.path[0]) TakeCombineFile(page, 1, g_sheet.path);
    return TRUE;
}

INT_PTR CombineCommand(HWND page, WPARAM wp) {
    if (HIWORD(wp) != BN_CLICKED) return FALSE;
    char chosen[TOOL_PATH_BYTES];
    switch (LOWORD(wp)) {
    case IDC_FILE1_BROWSE:
        if (ChooseSoundFile(page, chosen, 0)) TakeCombineFile(page, 1, chosen);
        break;
    case IDC_FILE2_BROWSE:
        if (ChooseSoundFile(page, chosen, 0)) TakeCombineFile(page, 2, chosen);
        break;
    case IDC_DEST_BROWSE:
        if (ChooseSoundFile(page, chosen, 1)) {
            std::snprintf(g_combine.destination, sizeof g_combine.destination, "%s", chosen);
            ShowName(page, IDC_DEST_NAME, chosen);
        }
        EnableCombine(page);
        break;
    case IDC_RUN_TOOL: {
        HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        int ok = CombineFiles(g_combine.destination, g_combine.file1, g_combine.file2);
        SetCursor(old);
        ShowName(page, IDC_DEST_NAME, g_combine.destination);
        if (ok) ShowDeckMessage(STR_CREATED, g_combine.destination, JOIN_SPACE, MSGBOX_OK);
        break;
    }
    default: return FALSE;
    }
    return TRUE;
}

INT_PTR CALLBACK CombinePageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return CombineInit(page);
    case WM_COMMAND: return CombineCommand(page, wp);
    case WM_DESTROY: FreeBitmaps(g_combine.bitmaps, 3); return FALSE;
    default: return FALSE;
    }
}

}  // namespace

void OpenEditSheet(void* owner, void* instance, const char* path, const char* folder) {
    g_sheet = SheetState{};
    g_sheet.owner = HWND(owner);
    g_sheet.instance = HINSTANCE(instance);
    std::snprintf(g_sheet.path, sizeof g_sheet.path, "%s", path ? path : "");
    if (g_sheet.path[0])
        RememberFolder(g_sheet.path);
    else if (folder)
        std::snprintf(g_sheet.folder, sizeof g_sheet.folder, "%s", folder);
    SetTagSavedHook(RefreshTitles);  // the playlist shows a saved title at once
    HoldTrackAroundTagSaves(1);
    TagPageServices services{g_sheet.path, ChooseSoundFile, CentreWindow, g_sheet.owner};
    SetTagPageServices(&services);

    struct PageRow {
        int templateId;
        DLGPROC proc;
    };
    const PageRow rows[PAGE_COUNT] = {
        {IDD_TAG_EDITOR, TagEditorPageProc},
        {IDD_DIVIDE,     DividePageProc   },
        {IDD_COMBINE,    CombinePageProc  },
    };
    PROPSHEETPAGEA pages[PAGE_COUNT];
    std::memset(pages, 0, sizeof pages);
    for (int i = 0; i < PAGE_COUNT; i++) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].hInstance = g_sheet.instance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(rows[i].templateId);
        pages[i].pfnDlgProc = rows[i].proc;
    }
    PROPSHEETHEADERA header;
    std::memset(&header, 0, sizeof header);
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USEICONID;
    header.hwndParent = g_sheet.owner;
    header.hInstance = g_sheet.instance;
    header.pszIcon = MAKEINTRESOURCEA(IDI_DECK);
    header.pszCaption = "Edit";
    header.nPages = PAGE_COUNT;
    header.ppsp = pages;
    // Every box of the sheet (the tools' messages, the Tag Editor's questions) is owned by the
    // sheet, which each page names when it is made: a box owned by the main window, which the
    // modal sheet has already disabled, would leave the sheet usable under its own question, its
    // Divide, Combine or OK pressed again while the first run waits for an answer.
    void* ownerBefore = MessageOwner();
    PropertySheetA(&header);
    SetMessageOwner(ownerBefore);
    SetTagSavedHook(nullptr);
    HoldTrackAroundTagSaves(0);
}
