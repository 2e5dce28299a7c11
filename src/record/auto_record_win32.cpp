// Dialog 201, "Auto recording": the mode radio buttons and the level, start and end combos over
// the values auto_record.cpp keeps.
#include <windows.h>

#include "base/shell_handles.h"
#include "base/system_info.h"
#include "record/auto_record.h"
#include "resources/resource.h"

namespace {
enum { LABEL_CHARS = 64 };
const int MODE_BUTTONS[] = {IDC_AUTO_OFF, IDC_AUTO_START_AND_END, IDC_AUTO_START_ONLY};  // by mode

struct AutoDialogData {
    AutoRecordChoice choice;  // in: what the dialog opens with
    uint32_t mode;            // out: the mode chosen with OK
};

void AddLabel(HWND combo, const char* utf8) {
    wchar_t text[LABEL_CHARS];
    if (!MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text, LABEL_CHARS)) text[0] = 0;
    SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)text);
}

int Selection(HWND dlg, int id) {
    LRESULT i = SendDlgItemMessageW(dlg, id, CB_GETCURSEL, 0, 0);
    return i == CB_ERR ? 0 : (int)i;
}

INT_PTR OnInit(HWND dlg, AutoDialogData* d) {
    SetWindowLongPtrW(dlg, DWLP_USER, (LONG_PTR)d);
    int japanese = SystemDefaultLanguage() == LANGUAGE_JAPANESE;
    HWND level = GetDlgItem(dlg, IDC_AUTO_LEVEL), start = GetDlgItem(dlg, IDC_AUTO_START_COUNT),
         end = GetDlgItem(dlg, IDC_AUTO_END_COUNT);
    const AutoLevelRow* rows = AutoLevelTable();
    for (int i = 0; i < AUTO_LEVEL_CHOICES; ++i) AddLabel(level, japanese ? rows[i].labelJa : rows[i].label);
    for (int i = 0; i < AUTO_COUNT_CHOICES; ++i) {
        AddLabel(start, AutoStartLabel(i, japanese));
        AddLabel(end, AutoEndLabel(i, japanese));
    }
    SendMessageW(level, CB_SETCURSEL, d->choice.levelIndex, 0);
    SendMessageW(start, CB_SETCURSEL, d->choice.startIndex, 0);
    SendMessageW(end, CB_SETCURSEL, d->choice.endIndex, 0);
    uint32_t mode = d->choice.mode <= AUTO_RECORD_START_ONLY ? d->choice.mode : (uint32_t)AUTO_RECORD_OFF;
    CheckRadioButton(dlg, IDC_AUTO_OFF, IDC_AUTO_START_ONLY, MODE_BUTTONS[mode]);
    return TRUE;
}

// Enter in a combo box sends OK with the focus still in the combo: that only moves the focus to
// OK, so the dialog closes on a deliberate OK.
INT_PTR OnOk(HWND dlg, AutoDialogData* d) {
    HWND ok = GetDlgItem(dlg, IDOK);
    if (GetFocus() != ok) {
        SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)ok, TRUE);
        return TRUE;
    }
    AutoRecordChoice c = d->choice;
    c.mode = AUTO_RECORD_OFF;
    for (uint32_t m = 0; m < sizeof MODE_BUTTONS / sizeof MODE_BUTTONS[0]; ++m)
        if (IsDlgButtonChecked(dlg, MODE_BUTTONS[m]) == BST_CHECKED) c.mode = m;
    c.levelIndex = Selection(dlg, IDC_AUTO_LEVEL);
    c.startIndex = Selection(dlg, IDC_AUTO_START_COUNT);
    c.endIndex = Selection(dlg, IDC_AUTO_END_COUNT);
    AutoRecordDialogOk(c, &d->mode);
    EndDialog(dlg, AUTO_DIALOG_OK);
    return TRUE;
}

INT_PTR OnCancel(HWND dlg) {
    SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dlg, IDCANCEL), TRUE);
    EndDialog(dlg, AUTO_DIALOG_CANCEL);
    return TRUE;
}

INT_PTR CALLBACK AutoDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    AutoDialogData* d = (AutoDialogData*)GetWindowLongPtrW(dlg, DWLP_USER);
    switch (msg) {
    case WM_INITDIALOG: return OnInit(dlg, (AutoDialogData*)lp);
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) return OnOk(dlg, d);
        if (LOWORD(wp) == IDCANCEL) return OnCancel(dlg);
        return FALSE;
    }
    return FALSE;
}
}  // namespace

int RunAutoRecordingDialog(void* owner, uint32_t* modeInOut) {
    AutoDialogData d{AutoRecordDialogStart(*modeInOut), *modeInOut};
    INT_PTR result = DialogBoxParamW((HINSTANCE)InstanceHandle(), MAKEINTRESOURCEW(IDD_AUTO_RECORDING), (HWND)owner,
                                     AutoDialogProc, (LPARAM)&d);
    if (result == AUTO_DIALOG_OK) *modeInOut = d.mode;
    return result == AUTO_DIALOG_OK ? AUTO_DIALOG_OK : AUTO_DIALOG_CANCEL;
}
