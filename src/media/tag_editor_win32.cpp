// The Tag Editor page: the dialog procedure over the page's portable state (tag_editor.cpp).
// Shows one file's name, format and tags, takes the user's edits and saves them with Apply, on
// OK, or when the page is left and the user agrees.
#include "media/tag_editor_page.h"
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include "base/message_box.h"
#include "base/shell_handles.h"
#include "media/id3v1.h"
#include "media/media_probe.h"
#include "media/tag_editor.h"
#include "media/titles.h"
#include "resources/resource.h"

namespace {

// The page's edit boxes in TagBox order, with their limits.
struct BoxRow {
    int id;
    int limit;
};
const BoxRow BOXES[TAG_BOX_COUNT] = {
    {IDC_TAG_TITLE,   ID3_TEXT_BYTES},
    {IDC_TAG_ARTIST,  ID3_TEXT_BYTES},
    {IDC_TAG_ALBUM,   ID3_TEXT_BYTES},
    {IDC_TAG_YEAR,    ID3_YEAR_BYTES},
    {IDC_TAG_COMMENT, ID3_TEXT_BYTES},
};

// Shown in every language: MIDI files carry no tags this page can edit.
const wchar_t MIDI_NOTICE[] = L"MIDIの情報は編集できません";

struct TagPageWindow {
    TagPageServices services;
    HBITMAP browse;   // bitmap of the browse button
    int selfWriting;  // set while the page fills its own boxes: their notifications are ignored
    int loadedAtInit; // the page's first activation follows its creation, which loaded the file already
};
TagPageWindow g_win;

void EnableApply(HWND page, int enable) { EnableWindow(GetDlgItem(page, IDC_TAG_APPLY), enable); }

void SetBoxText(HWND page, int id, const char* text) {
    g_win.selfWriting = 1;
    SetDlgItemTextA(page, id, text);
    g_win.selfWriting = 0;
}

void ShowRecord(HWND page) {
    TagPage* p = TagEditorPage();
    char shown[TAG_PATH_BYTES + 2];
    std::snprintf(shown, sizeof shown, " %s", p->path);
    SetDlgItemTextA(page, IDC_SOURCE_NAME, shown);
    const char* texts[TAG_BOX_COUNT] = {p->record.title, p->record.artist, p->record.album, p->record.year,
                                        p->record.comment};
    for (int i = 0; i < TAG_BOX_COUNT; i++) SetBoxText(page, BOXES[i].id, texts[i]);
    SendDlgItemMessageA(page, IDC_TAG_GENRE, CB_SETCURSEL, WPARAM(GenrePositionOf(p->record.genre)), 0);
    char format[MEDIA_TEXT_BYTES] = "";
    if (p->kind != MEDIA_MIDI && p->kind != TAG_KIND_NONE) FormatMediaText(p->path, format);
    SetDlgItemTextA(page, IDC_TAG_FORMAT, format);
    EnableApply(page, 0);
}

void Load(HWND page, const char* path) {
    TagPageLoad(path);
    ShowRecord(page);
    // Taking the trailer's title changed the page before the user typed anything.
    if (TagEditorPage()->changed) {
        EnableApply(page, 1);
        PropSheet_Changed(GetParent(page), page);
    }
}

void Save(HWND page, int focusOk) {
    if (!TagPageSave()) return;
    EnableApply(page, 0);
    if (focusOk) SetFocus(GetDlgItem(GetParent(page), IDOK));
}

INT_PTR OnInit(HWND page) {
    HWND sheet = GetParent(page);
    SetMessageOwner(sheet);  // the page's questions belong to the sheet it sits in
    if (g_win.services.centre) g_win.services.centre(g_win.services.owner, sheet);
    g_win.browse = HBITMAP(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BROWSE), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    if (g_win.browse) {
        HWND button = GetDlgItem(page, IDC_SOURCE_BROWSE);
        SetWindowLongPtrA(button, GWL_STYLE, GetWindowLongPtrA(button, GWL_STYLE) | BS_BITMAP);
        SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, LPARAM(g_win.browse));
    }
    for (int i = 0; i < GenreNameCount(); i++)
        SendDlgItemMessageA(page, IDC_TAG_GENRE, CB_INSERTSTRING, WPARAM(i), LPARAM(GenreNameAt(i)));
    SendDlgItemMessageA(page, IDC_TAG_GENRE, CB_SETCURSEL, WPARAM(-1), 0);
    ResetTagEditorPage();
    for (const BoxRow& b : BOXES) SendDlgItemMessageA(page, b.id, EM_LIMITTEXT, WPARAM(b.limit), 0);
    EnableApply(page, 0);
    // The sheet's OK and Cancel would otherwise start a group that swallows the page's tab order.
    for (int id : {IDOK, IDCANCEL}) {
        HWND button = GetDlgItem(sheet, id);
        if (button) SetWindowLongPtrA(button, GWL_STYLE, GetWindowLongPtrA(button, GWL_STYLE) & ~LONG_PTR(WS_GROUP));
    }
    Load(page, g_win.services.path ? g_win.services.path : "");
    g_win.loadedAtInit = 1;
    return TRUE;
}

void OnEdit(HWND page, int id) {
    if (g_win.selfWriting) return;
    int box = -1;
    for (int i = 0; i < TAG_BOX_COUNT; i++)
        if (BOXES[i].id == id) box = i;
    if (box < 0) return;
    char text[TITLE_BYTES] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    switch (TagPageEditBox(box, text)) {
    case TAG_EDIT_EMPTY_BOX: SetBoxText(page, id, ""); break;
    case TAG_EDIT_MIDI:
        SetDlgItemTextW(page, IDC_TAG_FORMAT, MIDI_NOTICE);
        SetBoxText(page, IDC_TAG_TITLE, TagEditorPage()->record.title);
        break;
    case TAG_EDIT_EMPTY_TITLE: SetBoxText(page, IDC_TAG_TITLE, ""); break;
    default: EnableApply(page, TagEditorPage()->changed); break;
    }
}

void OnGenre(HWND page) {
    int position = int(SendDlgItemMessageA(page, IDC_TAG_GENRE, CB_GETCURSEL, 0, 0));
    int result = TagPageChooseGenre(position < 0 ? -1 : position);
    if (result == TAG_EDIT_MIDI) SetDlgItemTextW(page, IDC_TAG_FORMAT, MIDI_NOTICE);
    if (result == TAG_EDIT_MIDI || result == TAG_EDIT_NO_GENRE)
        SendDlgItemMessageA(page, IDC_TAG_GENRE, CB_SETCURSEL, WPARAM(-1), 0);
    else
        EnableApply(page, TagEditorPage()->changed);
}

void OnBrowse(HWND page) {
    TagPage* p = TagEditorPage();
    if (p->changed) {
        int answer = ShowDeckMessage(STR_UPDATE_SETTINGS, nullptr, JOIN_NONE, MSGBOX_YESNOCANCEL);
        if (answer == MSGBOX_ANSWER_CANCEL) return;
        if (answer == MSGBOX_ANSWER_YES) Save(page, 1);
    }
    char chosen[MAX_PATH] = "";
    if (g_win.services.chooseFile && g_win.services.chooseFile(page, chosen, 0)) Load(page, chosen);
}

INT_PTR OnCommand(HWND page, WPARAM wp) {
    int id = LOWORD(wp), code = HIWORD(wp);
    if (code == EN_UPDATE) OnEdit(page, id);
    if (id == IDC_TAG_GENRE && code == CBN_SELCHANGE) OnGenre(page);
    if (id == IDC_TAG_APPLY && code == BN_CLICKED && TagEditorPage()->changed) Save(page, 1);
    if (id == IDC_SOURCE_BROWSE && code == BN_CLICKED) OnBrowse(page);
    return TRUE;
}

INT_PTR Result(HWND page, LONG_PTR result) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR OnNotify(HWND page, const NMHDR* nm) {
    TagPage* p = TagEditorPage();
    switch (nm->code) {
    case PSN_SETACTIVE: {
        // The page comes back from another tab: the file is read again, since Divide or Combine
        // may have changed it. Its first activation comes straight after the load at creation;
        // loading again would ask the file's questions ("A ... format title was found") twice and
        // throw the first answer away, so the user is asked once.
        if (g_win.loadedAtInit) {
            g_win.loadedAtInit = 0;
            return Result(page, 0);
        }
        char path[TAG_PATH_BYTES];
        std::snprintf(path, sizeof path, "%s", p->path);
        if (path[0] && !FileExists(path)) path[0] = 0;
        Load(page, path);
        return Result(page, 0);
    }
    case PSN_KILLACTIVE:
        // Cancel keeps the page in front; Yes saves (the focus stays where the user put it).
        return Result(page, TagPageLeave() ? FALSE : TRUE);
    case PSN_APPLY:
        // A save the file refuses keeps the sheet open on this page, Apply still enabled.
        if (p->changed && p->lastAnswer == 1 && !TagPageSave()) return Result(page, PSNRET_INVALID_NOCHANGEPAGE);
        return Result(page, PSNRET_NOERROR);
    default: return FALSE;
    }
}

}  // namespace

void SetTagPageServices(const TagPageServices* services) { g_win.services = *services; }

INT_PTR CALLBACK TagEditorPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return OnInit(page);
    case WM_COMMAND: return OnCommand(page, wp);
    case WM_NOTIFY: return OnNotify(page, reinterpret_cast<const NMHDR*>(lp));
    case WM_CLOSE: return Result(page, TagEditorPage()->changed ? -1 : 0);
    case WM_DESTROY:
        if (g_win.browse) DeleteObject(g_win.browse);
        g_win.browse = nullptr;
        return FALSE;
    default: return FALSE;
    }
}
