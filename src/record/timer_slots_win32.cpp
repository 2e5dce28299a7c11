// Dialog 200, "Timer": six rows of check box and combos over the timer slots, and the
// "Recording Limit" radio buttons.
#include <windows.h>

#include <cstdio>

#include "base/message_box.h"
#include "base/shell_handles.h"
#include "base/system_info.h"
#include "record/timer_slots.h"
#include "resources/resource.h"

namespace {
enum { LABEL_CHARS = 64, HOURS = 24, MINUTES = 60, LIMITS = 4 };

struct RowControls {
    int enable, action, target, hour, minute;  // hour 0: rows 5 and 6 have none
};
const RowControls ROWS[TIMER_SLOT_COUNT] = {
  // enable              action               target               hour               minute
    {IDC_TIMER_ENABLE_1, IDC_TIMER_ACTION_1, IDC_TIMER_TARGET_1, IDC_TIMER_HOUR_1, IDC_TIMER_MINUTE_1},
    {IDC_TIMER_ENABLE_2, IDC_TIMER_ACTION_2, IDC_TIMER_TARGET_2, IDC_TIMER_HOUR_2, IDC_TIMER_MINUTE_2},
    {IDC_TIMER_ENABLE_3, IDC_TIMER_ACTION_3, IDC_TIMER_TARGET_3, IDC_TIMER_HOUR_3, IDC_TIMER_MINUTE_3},
    {IDC_TIMER_ENABLE_4, IDC_TIMER_ACTION_4, IDC_TIMER_TARGET_4, IDC_TIMER_HOUR_4, IDC_TIMER_MINUTE_4},
    {IDC_TIMER_ENABLE_5, IDC_TIMER_ACTION_5, IDC_TIMER_TARGET_5, 0,                IDC_TIMER_MINUTE_5},
    {IDC_TIMER_ENABLE_6, IDC_TIMER_ACTION_6, IDC_TIMER_TARGET_6, 0,                IDC_TIMER_MINUTE_6},
};
const int LIMIT_BUTTONS[LIMITS] = {IDC_LIMIT_NONE, IDC_LIMIT_5_MIN, IDC_LIMIT_20_MIN, IDC_LIMIT_74_MIN};

// Combo texts: English, and Japanese for a system language of 1041.
struct Labels {
    const char* actions[2];
    const char* targets[2];
    const char* hourFormat;
    const char* minuteFormat;
};
const Labels ENGLISH = {
    {"Start",      "End"        },
    {"capture in", "playback in"},
    "%02d hour", "%02d minutes"
};
const Labels JAPANESE = {
    {"開始", "終了"},
    {"録音", "再生"},
    "%02d時", "%02d分"
};

struct TimerDialogData {
    uint32_t recLimit;  // in and out
};

void AddLabel(HWND combo, const char* utf8) {
    wchar_t text[LABEL_CHARS];
    if (!MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text, LABEL_CHARS)) text[0] = 0;
    SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)text);
}

void AddNumbered(HWND combo, const char* format, int count) {
    char text[LABEL_CHARS];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, format, i);
        AddLabel(combo, text);
    }
}

int Selection(HWND dlg, int id) {
    LRESULT i = SendDlgItemMessageW(dlg, id, CB_GETCURSEL, 0, 0);
    return i == CB_ERR ? 0 : (int)i;
}

void FillRow(HWND dlg, int row, const Labels& labels) {
    const RowControls& c = ROWS[row];
    for (const char* a : labels.actions) AddLabel(GetDlgItem(dlg, c.action), a);
    for (const char* t : labels.targets) AddLabel(GetDlgItem(dlg, c.target), t);
    if (c.hour) AddNumbered(GetDlgItem(dlg, c.hour), labels.hourFormat, HOURS);
    HWND minute = GetDlgItem(dlg, c.minute);
    AddNumbered(minute, labels.minuteFormat, MINUTES);
    if (!c.hour) {
        wchar_t atStart[LABEL_CHARS] = L"";
        LoadDeckString(STR_WHEN_OPENING_PROGRAM, atStart, LABEL_CHARS);
        SendMessageW(minute, CB_ADDSTRING, 0, (LPARAM)atStart);
    }
}

INT_PTR OnInit(HWND dlg, TimerDialogData* d) {
    SetWindowLongPtrW(dlg, DWLP_USER, (LONG_PTR)d);
    const Labels& labels = SystemDefaultLanguage() == LANGUAGE_JAPANESE ? JAPANESE : ENGLISH;
    int hour, minute;
    NowLocal(&hour, &minute);
    TimerDialogValues values;
    TimerDialogStart(d->recLimit, hour, minute, &values);
    for (int row = 0; row < TIMER_SLOT_COUNT; ++row) {
        const RowControls& c = ROWS[row];
        const TimerRowChoice& v = values.rows[row];
        FillRow(dlg, row, labels);
        CheckDlgButton(dlg, c.enable, v.enabled ? BST_CHECKED : BST_UNCHECKED);
        SendDlgItemMessageW(dlg, c.action, CB_SETCURSEL, v.actionIndex, 0);
        SendDlgItemMessageW(dlg, c.target, CB_SETCURSEL, v.targetIndex, 0);
        if (c.hour) SendDlgItemMessageW(dlg, c.hour, CB_SETCURSEL, v.hourIndex, 0);
        SendDlgItemMessageW(dlg, c.minute, CB_SETCURSEL, v.minuteIndex, 0);
    }
    uint32_t limit = values.recLimit < LIMITS ? values.recLimit : 0;
    CheckRadioButton(dlg, IDC_LIMIT_NONE, IDC_LIMIT_74_MIN, LIMIT_BUTTONS[limit]);
    return TRUE;
}

// As in the auto recording dialog, OK with the focus elsewhere (Enter in a combo) only moves the
// focus to OK.
INT_PTR OnOk(HWND dlg, TimerDialogData* d) {
    HWND ok = GetDlgItem(dlg, IDOK);
    if (GetFocus() != ok) {
        SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)ok, TRUE);
        return TRUE;
    }
    TimerDialogValues values;
    for (int row = 0; row < TIMER_SLOT_COUNT; ++row) {
        const RowControls& c = ROWS[row];
        TimerRowChoice& v = values.rows[row];
        v.enabled = IsDlgButtonChecked(dlg, c.enable) == BST_CHECKED;
        v.actionIndex = Selection(dlg, c.action);
        v.targetIndex = Selection(dlg, c.target);
        v.hourIndex = c.hour ? Selection(dlg, c.hour) : 0;
        v.minuteIndex = Selection(dlg, c.minute);
    }
    values.recLimit = 0;
    for (uint32_t i = 0; i < LIMITS; ++i)
        if (IsDlgButtonChecked(dlg, LIMIT_BUTTONS[i]) == BST_CHECKED) values.recLimit = i;
    int hour, minute;
    NowLocal(&hour, &minute);
    TimerDialogOk(values, hour, minute, &d->recLimit);
    EndDialog(dlg, TIMER_DIALOG_OK);
    return TRUE;
}

INT_PTR OnCancel(HWND dlg) {
    SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dlg, IDCANCEL), TRUE);
    EndDialog(dlg, TIMER_DIALOG_CANCEL);
    return TRUE;
}

INT_PTR CALLBACK TimerDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    TimerDialogData* d = (TimerDialogData*)GetWindowLongPtrW(dlg, DWLP_USER);
    switch (msg) {
    case WM_INITDIALOG: return OnInit(dlg, (TimerDialogData*)lp);
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) return OnOk(dlg, d);
        if (LOWORD(wp) == IDCANCEL) return OnCancel(dlg);
        return FALSE;
    }
    return FALSE;
}
}  // namespace

int RunTimerDialog(void* owner, uint32_t* recLimitInOut) {
    TimerDialogData d{*recLimitInOut};
    INT_PTR result = DialogBoxParamW((HINSTANCE)InstanceHandle(), MAKEINTRESOURCEW(IDD_TIMER), (HWND)owner,
                                     TimerDialogProc, (LPARAM)&d);
    if (result != TIMER_DIALOG_OK) return 0;
    *recLimitInOut = d.recLimit;
    return 1;
}
