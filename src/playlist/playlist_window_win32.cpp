// The playlist window: a history box, the list as a virtual (owner-data) report list view, the
// totals panel and seven skinned buttons. It only shows the model and forwards the user's
// actions to it; what it shows is worked out in playlist_view.cpp. A virtual list asks for a
// row's texts only when the row is painted, so a 999-entry list opens and scrolls without
// copying the list into the control, and a change redraws just the rows it touched.
#include "playlist/playlist_window.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "base/path_names.h"
#include "base/shell_handles.h"
#include "base/system_info.h"
#include "playlist/playlist_internal.h"
#include "playlist/playlist_model.h"
#include "playlist/playlist_view.h"
#include "playlist/playlist_window_paint.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {
const char LIST_CLASS[] = "VORNEX_USB_PLAY_LIST";
const char LIST_INITIAL_TITLE[] = "Quaverly Deck Play List";
const DWORD LIST_EX_STYLE = WS_EX_ACCEPTFILES;
const DWORD LIST_STYLE = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                         WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
const wchar_t JAPANESE_FONT[] = L"MS PGothic";
const wchar_t WESTERN_FONT[] = L"Arial";

enum {
    FONT_HEIGHT = -12,
    HISTORY_X = 10,
    HISTORY_Y = 10,
    HISTORY_W = 190,
    HISTORY_DROP_H = 400,
    ICON_SIZE = 16,
    ICON_CACHE_MAX = 20,  // file kinds with their own shell icon; later kinds share the generic one
    EXTENSION_BYTES = 16,
    DROP_PATHS_BYTES = PLAYLIST_MAX_ENTRIES * PLAYLIST_PATH_BYTES,
};

// Image list slots of the list view; the shell's icons of file kinds follow.
enum { IMAGE_CURRENT = 0, IMAGE_MISSING = 1, IMAGE_GENERIC = 2, IMAGE_FIRST_KIND = 3 };

const int BUTTON_IDS[LIST_BUTTONS] = {IDC_LIST_UP,  IDC_LIST_DOWN,   IDC_LIST_CLEAR, IDC_LIST_SAVE,
                                      IDC_LIST_ADD, IDC_LIST_DELETE, IDC_LIST_CLOSE};

struct ColumnRow {
    int header;  // string id
    int format;  // LVCFMT_*
    uint32_t LayoutSettings::*width;
};
// header string, alignment, width setting
const ColumnRow COLUMNS[LIST_COLUMNS] = {
    {STR_COLUMN_NUMBER, LVCFMT_LEFT,  &LayoutSettings::columnNumber},
    {STR_COLUMN_NAME,   LVCFMT_LEFT,  &LayoutSettings::columnName  },
    {STR_COLUMN_TIME,   LVCFMT_RIGHT, &LayoutSettings::columnTime  },
    {STR_COLUMN_TITLE,  LVCFMT_LEFT,  &LayoutSettings::columnTitle },
};

struct KindIcon {
    char extension[EXTENSION_BYTES];  // lower case, with its dot
    int image;
};

struct PanelShown {
    uint32_t totalMs;
    int count;
    int pending;  // some entry still waits for its probe
    int valid;    // drawn at least once since the window opened
};

struct ListWindowVars {
    HWND window;
    HWND history;
    HWND list;
    HWND tooltip;
    HWND buttons[LIST_BUTTONS];
    HFONT font;
    HIMAGELIST rowImages;
    HIMAGELIST historyImages;
    KindIcon kinds[ICON_CACHE_MAX];
    int kindCount;
    int markedRow;          // the row showing the current mark, 0 none
    int updating;           // rows are being changed: selection notices do not probe
    int historyDropped;     // the history box's drop-down is open
    int historyChosen;      // a choice in it was confirmed
    int historyRemembered;  // its selection when the drop-down opened
    HistoryBoxPlan historyPlan;
    PanelShown panel;
    PlayEntryHook play;
    WNDPROC buttonProc;  // the BUTTON class's own procedure
    WNDPROC listProc;    // the list view's own procedure
};
ListWindowVars g_lw;

int SelectedRow() {  // 1-based, 0 when none
    return (int)SendMessageA(g_lw.list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED) + 1;
}

void SelectRow(int n) {
    g_lw.updating = 1;
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(g_lw.list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
    if (n >= 1) {
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(g_lw.list, LVM_SETITEMSTATE, (WPARAM)(n - 1), (LPARAM)&item);
        SendMessageA(g_lw.list, LVM_ENSUREVISIBLE, (WPARAM)(n - 1), FALSE);
    }
    g_lw.updating = 0;
}

void RedrawRows(int first, int last) {
    if (first < 1 || last < first) return;
    SendMessageA(g_lw.list, LVM_REDRAWITEMS, (WPARAM)(first - 1), (LPARAM)(last - 1));
}

// ---- icons -----------------------------------------------------------------------------------

void AddIcon(HIMAGELIST images, HICON icon) { ImageList_AddIcon(images, icon); }

// The shell's small icon for a file kind, added to the image list the first time it is met.
int KindImage(const char* path) {
    const char* dot = ExtensionOf(path);
    if (!*dot || std::strlen(dot) >= EXTENSION_BYTES) return IMAGE_GENERIC;
    char ext[EXTENSION_BYTES];
    std::snprintf(ext, sizeof ext, "%s", dot);
    CharLowerA(ext);
    for (int i = 0; i < g_lw.kindCount; ++i)
        if (std::strcmp(g_lw.kinds[i].extension, ext) == 0) return g_lw.kinds[i].image;
    if (g_lw.kindCount >= ICON_CACHE_MAX) return IMAGE_GENERIC;
    SHFILEINFOA info = {};
    int image = IMAGE_GENERIC;
    if (SHGetFileInfoA(ext, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_SMALLICON) &&
        info.hIcon) {
        image = ImageList_AddIcon(g_lw.rowImages, info.hIcon);
        DestroyIcon(info.hIcon);
        if (image < 0) image = IMAGE_GENERIC;
    }
    KindIcon& k = g_lw.kinds[g_lw.kindCount++];
    std::snprintf(k.extension, sizeof k.extension, "%s", ext);
    k.image = image;
    return image;
}

HIMAGELIST MakeRowImages() {
    HIMAGELIST images =
        ImageList_Create(ICON_SIZE, ICON_SIZE, ILC_COLOR32 | ILC_MASK, IMAGE_FIRST_KIND, ICON_CACHE_MAX);
    if (!images) return nullptr;
    HINSTANCE inst = (HINSTANCE)InstanceHandle();
    HICON current = (HICON)LoadImageA(inst, MAKEINTRESOURCEA(IDI_LIST_CURRENT), IMAGE_ICON, ICON_SIZE, ICON_SIZE, 0);
    AddIcon(images, current ? current : LoadIconA(nullptr, (LPCSTR)IDI_ASTERISK));
    if (current) DestroyIcon(current);
    AddIcon(images, LoadIconA(nullptr, (LPCSTR)IDI_EXCLAMATION));
    AddIcon(images, LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION));
    return images;
}

// ---- drawing ---------------------------------------------------------------------------------

ListWindowLayout CurrentLayout() {
    RECT client = {}, box = {};
    GetClientRect(g_lw.window, &client);
    GetWindowRect(g_lw.history, &box);
    MapWindowPoints(nullptr, g_lw.window, (POINT*)&box, 2);
    return LayOutListWindow(client.right, client.bottom, box.top, box.bottom);
}

void DrawButton(const DRAWITEMSTRUCT* item) {
    int index = (int)item->CtlID - IDC_LIST_UP;
    if (index < 0 || index >= LIST_BUTTONS) return;
    ViewRect at = {item->rcItem.left, item->rcItem.top, item->rcItem.right - item->rcItem.left,
                   item->rcItem.bottom - item->rcItem.top};
    DrawListButton(item->hDC, at, index, (item->itemState & ODS_SELECTED) != 0, (item->itemState & ODS_DISABLED) != 0);
}

// ---- children --------------------------------------------------------------------------------

// Buttons draw their whole face, so erasing first would only flicker.
LRESULT CALLBACK ButtonSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;
    return CallWindowProcA(g_lw.buttonProc, hwnd, msg, wp, lp);
}

void OnDropFiles(HDROP drop);

// The list takes dropped files itself and hands them to the window.
LRESULT CALLBACK ListSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DROPFILES) {
        OnDropFiles((HDROP)wp);
        return 0;
    }
    return CallWindowProcA(g_lw.listProc, hwnd, msg, wp, lp);
}

void AddTip(HWND tool, int stringId) {
    wchar_t text[128] = L"";
    LoadStringW((HINSTANCE)InstanceHandle(), (UINT)stringId, text, 128);
    TTTOOLINFOW ti = {};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_CENTERTIP;
    ti.hwnd = g_lw.window;
    ti.uId = (UINT_PTR)tool;
    ti.lpszText = text;
    SendMessageW(g_lw.tooltip, TTM_ADDTOOLW, 0, (LPARAM)&ti);
}

HFONT MakeFont() {
    int japanese = SystemDefaultLanguage() == LANGUAGE_JAPANESE;
    return CreateFontW(FONT_HEIGHT, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, japanese ? SHIFTJIS_CHARSET : ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       japanese ? JAPANESE_FONT : WESTERN_FONT);
}

void AddColumns() {
    for (int i = 0; i < LIST_COLUMNS; ++i) {
        wchar_t header[64] = L"";
        LoadStringW((HINSTANCE)InstanceHandle(), (UINT)COLUMNS[i].header, header, 64);
        LVCOLUMNW c = {};
        c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        c.fmt = COLUMNS[i].format;
        c.cx = (int)(Layout().*COLUMNS[i].width);
        c.pszText = header;
        c.iSubItem = i;
        SendMessageW(g_lw.list, LVM_INSERTCOLUMNW, (WPARAM)i, (LPARAM)&c);
    }
}

int CreateChildren(HWND hwnd) {
    HINSTANCE inst = (HINSTANCE)InstanceHandle();
    g_lw.font = MakeFont();
    g_lw.tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, hwnd,
                                   nullptr, inst, nullptr);

    g_lw.history =
        CreateWindowExA(0, WC_COMBOBOXEXA, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, HISTORY_X,
                        HISTORY_Y, HISTORY_W, HISTORY_DROP_H, hwnd, (HMENU)(INT_PTR)IDC_LIST_HISTORY, inst, nullptr);
    g_lw.list = CreateWindowExA(WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                    LVS_NOSORTHEADER | LVS_OWNERDATA,
                                0, 0, 0, 0, hwnd, (HMENU)(INT_PTR)IDC_LIST_VIEW, inst, nullptr);
    if (!g_lw.history || !g_lw.list) return 0;
    if (g_lw.font) {
        SendMessageA(g_lw.history, WM_SETFONT, (WPARAM)g_lw.font, FALSE);
        SendMessageA(g_lw.list, WM_SETFONT, (WPARAM)g_lw.font, FALSE);
    }

    g_lw.historyImages = ImageList_Create(ICON_SIZE, ICON_SIZE, ILC_COLOR32 | ILC_MASK, 1, 1);
    HICON sheet = (HICON)LoadImageA(inst, MAKEINTRESOURCEA(IDI_LIST_HISTORY), IMAGE_ICON, ICON_SIZE, ICON_SIZE, 0);
    if (g_lw.historyImages && sheet) AddIcon(g_lw.historyImages, sheet);
    if (sheet) DestroyIcon(sheet);
    SendMessageA(g_lw.history, CBEM_SETIMAGELIST, 0, (LPARAM)g_lw.historyImages);

    SendMessageA(g_lw.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    SendMessageA(g_lw.list, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
    SendMessageA(g_lw.list, LVM_SETTEXTBKCOLOR, 0, RGB(255, 255, 255));
    g_lw.rowImages = MakeRowImages();
    SendMessageA(g_lw.list, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)g_lw.rowImages);
    AddColumns();
    g_lw.listProc = (WNDPROC)SetWindowLongPtrA(g_lw.list, GWLP_WNDPROC, (LONG_PTR)ListSubclass);

    for (int i = 0; i < LIST_BUTTONS; ++i) {
        HWND b = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_OWNERDRAW | BS_NOTIFY, 0,
                                 0, 0, 0, hwnd, (HMENU)(INT_PTR)BUTTON_IDS[i], inst, nullptr);
        if (!b) return 0;
        // Fast clicks are separate clicks, as on the deck's face.
        SetClassLongPtrA(b, GCL_STYLE, GetClassLongPtrA(b, GCL_STYLE) & ~(LONG_PTR)CS_DBLCLKS);
        WNDPROC own = (WNDPROC)SetWindowLongPtrA(b, GWLP_WNDPROC, (LONG_PTR)ButtonSubclass);
        if (!g_lw.buttonProc) g_lw.buttonProc = own;
        g_lw.buttons[i] = b;
        AddTip(b, STR_TIP_LIST_UP + i);
    }
    // String 36 has no other use; it says what the box holds.
    AddTip(g_lw.history, STR_HISTORY);
    return 1;
}

void LayOut() {
    if (!g_lw.list) return;
    ListWindowLayout l = CurrentLayout();
    SetWindowPos(g_lw.list, nullptr, l.list.x, l.list.y, l.list.w, l.list.h, SWP_NOZORDER | SWP_NOACTIVATE);
    for (int i = 0; i < LIST_BUTTONS; ++i)
        SetWindowPos(g_lw.buttons[i], nullptr, l.buttons[i].x, l.buttons[i].y, l.buttons[i].w, l.buttons[i].h,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(g_lw.window, nullptr, FALSE);
}

void DestroyChildren() {
    if (g_lw.list) {
        for (int i = 0; i < LIST_COLUMNS; ++i) {
            int w = (int)SendMessageA(g_lw.list, LVM_GETCOLUMNWIDTH, (WPARAM)i, 0);
            if (w > 0) Layout().*COLUMNS[i].width = (uint32_t)w;
        }
    }
    for (HWND& b : g_lw.buttons) {
        if (b) DestroyWindow(b);
        b = nullptr;
    }
    if (g_lw.list) DestroyWindow(g_lw.list);
    if (g_lw.history) DestroyWindow(g_lw.history);
    if (g_lw.tooltip) DestroyWindow(g_lw.tooltip);
    if (g_lw.rowImages) ImageList_Destroy(g_lw.rowImages);
    if (g_lw.historyImages) ImageList_Destroy(g_lw.historyImages);
    if (g_lw.font) DeleteObject(g_lw.font);
    g_lw.list = g_lw.history = g_lw.tooltip = nullptr;
    g_lw.rowImages = g_lw.historyImages = nullptr;
    g_lw.font = nullptr;
    g_lw.kindCount = 0;
}

// A caption rectangle flying between the deck's "Open playlist" button and this window.
void Animate(HWND window, int opening) {
    HWND main = (HWND)MainWindowHandle();
    if (!main) return;
    HWND button = GetDlgItem(main, CMD_OPEN_PLAYLIST);
    RECT from = {}, to = {};
    GetWindowRect(button ? button : main, &from);
    GetWindowRect(window, &to);
    if (opening)
        DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
    else
        DrawAnimatedRects(window, IDANI_CAPTION, &to, &from);
}

// ---- user actions ----------------------------------------------------------------------------

void MoveSelected(int up) {
    int n = SelectedRow();
    if (n < 1) return;
    int count = GetEntryCount();
    g_lw.updating = 1;
    int ok = MoveEntry(n, up ? MOVE_UP : MOVE_DOWN);
    g_lw.updating = 0;
    if (ok) SelectRow(up ? RowAfterMoveUp(n, count) : RowAfterMoveDown(n, count));
}

void DeleteSelected() {
    int n = SelectedRow();
    if (n < 1) return;
    g_lw.updating = 1;
    int row = DeleteFromListWindow(n);
    g_lw.updating = 0;
    if (row >= 0) SelectRow(row);
}

void AddFromDialog() {
    int before = GetEntryCount();
    AddFilesDialog();
    if (g_lw.window && GetEntryCount() > before) SelectRow(before + 1);
}

void AddBatch(const char* paths) {
    int first = AddDroppedFiles(paths);
    if (!g_lw.window) return;
    if (first > 0) SelectRow(first);
    SetForegroundWindow(g_lw.window);
}

void OnDropFiles(HDROP drop) {
    static char paths[DROP_PATHS_BYTES];  // 999 paths: too big for the stack, used once at a time
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    size_t at = 0;
    for (UINT i = 0; i < count && at + MAX_PATH + 2 < sizeof paths; ++i) {
        UINT n = DragQueryFileA(drop, i, paths + at, MAX_PATH);
        if (n == 0) continue;
        at += n + 1;
    }
    paths[at] = 0;
    DragFinish(drop);
    AddBatch(paths);
}

LRESULT OnCopyData(const COPYDATASTRUCT* cds) {
    if (!cds || cds->dwData != LIST_WINDOW_COPYDATA_DROP || !cds->lpData || cds->cbData < 2) return 0;
    static char paths[DROP_PATHS_BYTES];
    size_t n = cds->cbData < sizeof paths - 2 ? cds->cbData : sizeof paths - 2;
    std::memcpy(paths, cds->lpData, n);
    paths[n] = paths[n + 1] = 0;
    AddBatch(paths);
    return 1;
}

void ChooseHistory(int index) {
    int k = HistoryEntryOfItem(g_lw.historyPlan, index);
    if (k > 0 && !(k == 1 && PlaylistIsNamed()))
        OpenHistoryEntry(k);
    else
        SendMessageA(g_lw.history, CB_SETCURSEL, (WPARAM)g_lw.historyRemembered, 0);
}

// Only a choice confirmed in the open drop-down opens a list. The arrow keys or the wheel move
// the selection of the closed box without any confirming: opening a list there would replace
// the user's list (an unnamed one without a question) while they only looked through the box,
// so the box goes back to showing the list that is open.
void OnHistoryNotice(int code) {
    switch (code) {
    case CBN_DROPDOWN:
        g_lw.historyDropped = 1;
        g_lw.historyChosen = 0;
        g_lw.historyRemembered = (int)SendMessageA(g_lw.history, CB_GETCURSEL, 0, 0);
        return;
    case CBN_SELCHANGE:
    case CBN_SELENDOK:
        if (g_lw.historyDropped) {
            if (code == CBN_SELENDOK) g_lw.historyChosen = 1;
        } else {
            SendMessageA(g_lw.history, CB_SETCURSEL, (WPARAM)g_lw.historyRemembered, 0);
        }
        return;
    case CBN_CLOSEUP:
        g_lw.historyDropped = 0;
        if (g_lw.historyChosen)
            ChooseHistory((int)SendMessageA(g_lw.history, CB_GETCURSEL, 0, 0));
        else
            SendMessageA(g_lw.history, CB_SETCURSEL, (WPARAM)g_lw.historyRemembered, 0);
        g_lw.historyChosen = 0;
        break;
    default: return;
    }
    if (g_lw.list) SetFocus(g_lw.list);
}

LRESULT OnCommand(WPARAM wp) {
    int id = LOWORD(wp), code = HIWORD(wp);
    if (id == IDC_LIST_HISTORY) {
        OnHistoryNotice(code);
        return 0;
    }
    if (code != BN_CLICKED) return 0;
    switch (id) {
    case IDC_LIST_UP: MoveSelected(1); break;
    case IDC_LIST_DOWN: MoveSelected(0); break;
    case IDC_LIST_CLEAR: ClearPlaylist(); break;
    case IDC_LIST_SAVE: SavePlaylist(); break;
    case IDC_LIST_ADD: AddFromDialog(); break;
    case IDC_LIST_DELETE: DeleteSelected(); break;
    case IDC_LIST_CLOSE: CloseListWindow(); break;
    }
    return 0;
}

// ---- list view notifications -----------------------------------------------------------------

void FillCell(int row, int column, UINT mask, char* text, int textBytes, int* imageOut) {
    PlaylistEntry e;
    if (!GetEntry(row + 1, &e)) {
        if ((mask & LVIF_TEXT) && text && textBytes > 0) text[0] = 0;
        return;
    }
    if ((mask & LVIF_TEXT) && text && textBytes > 0) ListCellText(e, row + 1, column, text, textBytes);
    if ((mask & LVIF_IMAGE) && column == 0) {
        RowIcon icon = ListRowIcon(e, row + 1, GetCurrentNumber());
        *imageOut = icon == ROW_ICON_CURRENT   ? IMAGE_CURRENT
                    : icon == ROW_ICON_MISSING ? IMAGE_MISSING
                                               : KindImage(e.path);
    }
}

// A row that becomes selected is probed at once, so its time and title show without waiting
// for the background probing.
void OnItemChanged(const NMLISTVIEW* nm) {
    if (g_lw.updating || nm->iItem < 0 || !(nm->uChanged & LVIF_STATE)) return;
    if (!(nm->uNewState & LVIS_SELECTED) || (nm->uOldState & LVIS_SELECTED)) return;
    if (PlaylistProbeHeld()) return;
    PlaylistEntry e;
    int n = nm->iItem + 1;
    if (!GetEntry(n, &e) || e.probeState == Probed) return;
    ProbeEntry(n);
    RefreshRow(n);
    ShowTotals(GetShownTotalMs(), GetEntryCount());
}

void PlayRow(int n) {
    if (n >= 1 && n <= GetEntryCount() && g_lw.play) g_lw.play(n);
}

LRESULT OnNotify(const NMHDR* nm) {
    if (nm->idFrom != IDC_LIST_VIEW) return 0;
    switch (nm->code) {
    case LVN_GETDISPINFOA: {
        LVITEMA& item = ((NMLVDISPINFOA*)nm)->item;
        FillCell(item.iItem, item.iSubItem, item.mask, item.pszText, item.cchTextMax, &item.iImage);
        return 0;
    }
    case LVN_GETDISPINFOW: {
        LVITEMW& item = ((NMLVDISPINFOW*)nm)->item;
        char text[LIST_CELL_BYTES] = "";
        FillCell(item.iItem, item.iSubItem, item.mask, text, sizeof text, &item.iImage);
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
            MultiByteToWideChar(CP_ACP, 0, text, -1, item.pszText, item.cchTextMax);
        return 0;
    }
    case LVN_ITEMCHANGED: OnItemChanged((const NMLISTVIEW*)nm); return 0;
    // Double-click and Enter play a row. Both are taken from their own notices: Wine's list view
    // sends no activation notice for Enter.
    case NM_DBLCLK: PlayRow(((const NMITEMACTIVATE*)nm)->iItem + 1); return 0;
    case LVN_KEYDOWN:
        if (((const NMLVKEYDOWN*)nm)->wVKey == VK_RETURN) PlayRow(SelectedRow());
        return 0;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW: return -1;
    }
    return 0;
}

// ---- window messages -------------------------------------------------------------------------

void KeepPlace(HWND hwnd, int size) {
    if (IsIconic(hwnd) || IsZoomed(hwnd)) return;
    RECT r;
    GetWindowRect(hwnd, &r);
    if (size) {
        Layout().xsList = r.right - r.left;
        Layout().ysList = r.bottom - r.top;
    } else {
        Layout().xoList = r.left;
        Layout().yoList = r.top;
    }
}

LRESULT OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    PaintListBackground(dc, client.right, client.bottom);
    if (g_lw.history) {
        ListWindowLayout l = CurrentLayout();
        PaintListPanel(dc, l.panel, PanelValues{g_lw.panel.totalMs, g_lw.panel.count, g_lw.panel.pending});
        PaintListLogo(dc, l.logo);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

LRESULT OnMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize.x = LIST_MIN_CLIENT_W + 2 * GetSystemMetrics(SM_CXFRAME);
    info->ptMinTrackSize.y = LIST_MIN_CLIENT_H + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
    return 0;
}

LRESULT CALLBACK ListWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: return OnPaint(hwnd);
    case WM_ERASEBKGND: return 1;
    case WM_SIZE:
        KeepPlace(hwnd, 1);
        LayOut();
        return 0;
    case WM_MOVE: KeepPlace(hwnd, 0); return 0;
    case WM_GETMINMAXINFO: return OnMinMaxInfo((MINMAXINFO*)lp);
    case WM_COMMAND: return OnCommand(wp);
    case WM_NOTIFY: return OnNotify((const NMHDR*)lp);
    case WM_DRAWITEM: DrawButton((const DRAWITEMSTRUCT*)lp); return TRUE;
    case WM_DROPFILES: OnDropFiles((HDROP)wp); return 0;
    case WM_COPYDATA: return OnCopyData((const COPYDATASTRUCT*)lp);
    case WM_CLOSE: return 0;  // only the Close button and the system menu close the window
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_CLOSE) {
            CloseListWindow();
            return 0;
        }
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int ListWindowExists() { return g_lw.window && IsWindow(g_lw.window); }
}  // namespace

// ---- class ----------------------------------------------------------------------------------

int RegisterPlaylistClass(void* instance) {
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
    wc.lpfnWndProc = ListWindowProc;
    wc.hInstance = (HINSTANCE)instance;
    wc.hIcon = LoadIconA((HINSTANCE)instance, MAKEINTRESOURCEA(IDI_LIST_WINDOW));
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = LIST_CLASS;
    return RegisterClassA(&wc) != 0;
}

void UnregisterPlaylistClass(void* instance) { UnregisterClassA(LIST_CLASS, (HINSTANCE)instance); }

// ---- open and close --------------------------------------------------------------------------

int OpenListWindow() {
    if (ListWindowExists()) {
        if (IsIconic(g_lw.window)) ShowWindow(g_lw.window, SW_RESTORE);
        BringWindowToTop(g_lw.window);
        SetForegroundWindow(g_lw.window);
        return 1;
    }
    HCURSOR before = SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_WAIT));
    LayoutSettings& l = Layout();
    if (l.xsList <= 0) l.xsList = LIST_DEFAULT_W;
    if (l.ysList <= 0) l.ysList = LIST_DEFAULT_H;
    ClampListWindow(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), l.xsList, l.ysList, &l.xoList,
                    &l.yoList);
    HWND hwnd = CreateWindowExA(LIST_EX_STYLE, LIST_CLASS, LIST_INITIAL_TITLE, LIST_STYLE, l.xoList, l.yoList, l.xsList,
                                l.ysList, nullptr, nullptr, (HINSTANCE)InstanceHandle(), nullptr);
    if (!hwnd) {
        SetCursor(before);
        return 0;
    }
    g_lw.window = hwnd;
    g_lw.markedRow = 0;
    g_lw.panel = PanelShown{};
    if (!CreateChildren(hwnd)) {
        DestroyChildren();
        DestroyWindow(hwnd);
        g_lw.window = nullptr;
        SetCursor(before);
        return 0;
    }
    LayOut();
    if (Layout().top) SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    char listPath[PLAYLIST_PATH_BYTES] = "";
    ShowListName(PlaylistIsNamed() && GetHistoryPath(1, listPath) ? listPath : "No Name");
    RefreshHistoryBox(PlaylistIsNamed());
    RefreshAll();
    Animate(hwnd, 1);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    SetCursor(before);
    return 1;
}

void CloseListWindow() {
    if (!g_lw.window) return;
    HWND hwnd = g_lw.window;
    ShowWindow(hwnd, SW_HIDE);
    DestroyChildren();
    HWND main = (HWND)MainWindowHandle();
    if (main && IsWindowVisible(main)) Animate(hwnd, 0);
    g_lw.window = nullptr;  // the model forgets the window before it goes
    DestroyWindow(hwnd);
}

void SetListWindowPlayHook(PlayEntryHook play) { g_lw.play = play; }

void DeleteSelectedListEntry() {
    if (ListWindowExists()) DeleteSelected();
}

// ---- what the model calls ---------------------------------------------------------------------

int PlaylistWindowIsOpen() { return ListWindowExists(); }
void* ListWindowHandle() { return ListWindowExists() ? g_lw.window : nullptr; }

void RefreshAll() {
    if (!ListWindowExists()) return;
    g_lw.updating = 1;
    int count = GetEntryCount();
    SendMessageA(g_lw.list, LVM_SETITEMCOUNT, (WPARAM)count, LVSICF_NOSCROLL);
    InvalidateRect(g_lw.list, nullptr, FALSE);
    g_lw.markedRow = GetCurrentNumber();
    g_lw.updating = 0;
    ShowTotals(GetShownTotalMs(), count);
}

void RefreshRow(int n) {
    if (!ListWindowExists()) return;
    RedrawRows(n, n);
}

void ShowTotals(uint32_t totalMs, int count) {
    if (!ListWindowExists()) return;
    PanelShown now = {totalMs, count, AnyEntryNotProbed(), 1};
    PanelShown& was = g_lw.panel;
    if (was.valid && was.totalMs == now.totalMs && was.count == now.count && was.pending == now.pending) return;
    was = now;
    ListWindowLayout l = CurrentLayout();
    RECT r = {l.panel.x, l.panel.y, l.panel.x + l.panel.w, l.panel.y + l.panel.h};
    InvalidateRect(g_lw.window, &r, FALSE);
}

void ShowListName(const char* name) {
    if (!ListWindowExists()) return;
    char title[LIST_TITLE_BYTES];
    ListWindowTitle(name, title, sizeof title);
    SetWindowTextA(g_lw.window, title);
}

void MarkCurrent(int n) {
    if (!ListWindowExists()) return;
    int old = g_lw.markedRow;
    g_lw.markedRow = n;
    if (old >= 1) RedrawRows(old, old);
    if (n >= 1) RedrawRows(n, n);
}

void EnableListWindow(int enable) {
    if (ListWindowExists()) EnableWindow(g_lw.window, enable ? TRUE : FALSE);
}

void RefreshHistoryBox(int named) {
    if (!ListWindowExists()) return;
    SendMessageA(g_lw.history, CB_RESETCONTENT, 0, 0);
    g_lw.historyPlan = PlanHistoryBox(named, GetHistoryCount());
    for (int k = 1; k <= g_lw.historyPlan.historyItems; ++k) {
        char path[PLAYLIST_PATH_BYTES] = "", name[PLAYLIST_PATH_BYTES] = "";
        GetHistoryPath(k, path);
        FileTitleOf(path, name);
        COMBOBOXEXITEMA item = {};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = k - 1;
        item.pszText = name;
        SendMessageA(g_lw.history, CBEM_INSERTITEMA, 0, (LPARAM)&item);
    }
    if (g_lw.historyPlan.noNameItem) {
        wchar_t noName[64] = L"";
        LoadStringW((HINSTANCE)InstanceHandle(), STR_NO_NAME, noName, 64);
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = g_lw.historyPlan.historyItems;
        item.pszText = noName;
        SendMessageW(g_lw.history, CBEM_INSERTITEMW, 0, (LPARAM)&item);
    }
    SendMessageA(g_lw.history, CB_SETCURSEL, (WPARAM)g_lw.historyPlan.selected, 0);
    g_lw.historyRemembered = g_lw.historyPlan.selected;
}
