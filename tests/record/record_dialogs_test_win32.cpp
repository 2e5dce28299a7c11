// The "Timer" and "Auto recording" dialogs driven as a user would, from a thread timer that runs
// inside the dialog's own modal loop: what they open with, Enter in a combo box, OK and Cancel.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/shell_handles.h"
#include "record/auto_record.h"
#include "record/timer_slots.h"
#include "resources/resource.h"

namespace {
enum { SCRIPT_TIMER_MS = 50 };

// The user's part, run once the dialog shows: it looks at the controls and presses keys.
struct DialogScript {
    const wchar_t* caption;
    void (*act)(HWND dlg);
    int acted;
};
DialogScript g_script;

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowW(L"#32770", g_script.caption);
    if (!dlg || g_script.acted) return;
    g_script.acted = 1;
    KillTimer(nullptr, id);
    g_script.act(dlg);
}

void Script(const wchar_t* caption, void (*act)(HWND)) {
    g_script = DialogScript{caption, act, 0};
    SetTimer(nullptr, 0, SCRIPT_TIMER_MS, RunScript);
}

int Sel(HWND dlg, int id) { return (int)SendDlgItemMessageW(dlg, id, CB_GETCURSEL, 0, 0); }
int Count(HWND dlg, int id) { return (int)SendDlgItemMessageW(dlg, id, CB_GETCOUNT, 0, 0); }
std::wstring Item(HWND dlg, int id, int index) {
    wchar_t text[128] = L"";
    SendDlgItemMessageW(dlg, id, CB_GETLBTEXT, index, (LPARAM)text);
    return text;
}
// Enter pressed with the focus on a control: the dialog manager sends OK.
void EnterOn(HWND dlg, int id) {
    SetFocus(GetDlgItem(dlg, id));
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
}

class RecordDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        SetInstanceHandle(GetModuleHandleW(nullptr));
        ResetTimerSlotsForTest();
        ResetAutoRecordForTest();
    }
};

TEST_F(RecordDialogs, TimerRowsOpenWithTheSlotsAndOkTakesTheChangesOnlyFromTheOkButton) {
    int hour, minute;
    NowLocal(&hour, &minute);
    TimerDialogValues v{};
    v.rows[0] = TimerRowChoice{1, 1, 1, 7, 15};  // end playback at 07:15
    v.rows[4] = TimerRowChoice{1, 0, 0, 0, 30};  // start capture in 30 minutes
    v.rows[5] = TimerRowChoice{1, 0, 1, 0, 60};  // start playback when the program opens
    uint32_t limit = 0;
    v.recLimit = 2;
    TimerDialogOk(v, hour, minute, &limit);

    static int stillOpenAfterEnter, focusOnOk;
    Script(L"Timer", [](HWND dlg) {
        EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_TIMER_ENABLE_1), BST_CHECKED);
        EXPECT_EQ(Sel(dlg, IDC_TIMER_ACTION_1), 1);
        EXPECT_EQ(Sel(dlg, IDC_TIMER_TARGET_1), 1);
        EXPECT_EQ(Count(dlg, IDC_TIMER_HOUR_1), 24);
        EXPECT_EQ(Sel(dlg, IDC_TIMER_HOUR_1), 7);
        EXPECT_EQ(Item(dlg, IDC_TIMER_HOUR_1, 7), L"07 hour");
        EXPECT_EQ(Sel(dlg, IDC_TIMER_MINUTE_1), 15);
        EXPECT_EQ(Count(dlg, IDC_TIMER_MINUTE_1), 60);
        EXPECT_EQ(Count(dlg, IDC_TIMER_MINUTE_5), 61);
        EXPECT_GE(Sel(dlg, IDC_TIMER_MINUTE_5), 29) << "minutes still to go";
        EXPECT_LE(Sel(dlg, IDC_TIMER_MINUTE_5), 30);
        EXPECT_EQ(Sel(dlg, IDC_TIMER_MINUTE_6), 60);
        EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_TIMER_ENABLE_2), BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_LIMIT_20_MIN), BST_CHECKED);

        SendDlgItemMessageW(dlg, IDC_TIMER_HOUR_1, CB_SETCURSEL, 9, 0);
        CheckRadioButton(dlg, IDC_LIMIT_NONE, IDC_LIMIT_74_MIN, IDC_LIMIT_74_MIN);
        EnterOn(dlg, IDC_TIMER_HOUR_1);
        stillOpenAfterEnter = IsWindow(dlg);
        focusOnOk = GetFocus() == GetDlgItem(dlg, IDOK);
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    limit = 2;
    EXPECT_EQ(RunTimerDialog(nullptr, &limit), 1);
    EXPECT_TRUE(stillOpenAfterEnter) << "Enter in a combo box does not close the dialog";
    EXPECT_TRUE(focusOnOk);
    EXPECT_EQ(limit, 3u);
    TimerSlot slots[TIMER_SLOT_COUNT];
    GetTimerSlots(slots);
    EXPECT_EQ(slots[0].hour, 9);
    EXPECT_EQ(slots[0].minute, 15);
    EXPECT_EQ(slots[0].flags, TIMER_FLAG_ENABLED | TIMER_FLAG_END | TIMER_FLAG_PLAYBACK);
    EXPECT_EQ(slots[5].minute, TIMER_MINUTE_AT_START);
}

TEST_F(RecordDialogs, CancelLeavesTheSlotsAndTheLimit) {
    Script(L"Timer", [](HWND dlg) {
        CheckDlgButton(dlg, IDC_TIMER_ENABLE_3, BST_CHECKED);
        CheckRadioButton(dlg, IDC_LIMIT_NONE, IDC_LIMIT_74_MIN, IDC_LIMIT_5_MIN);
        SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    uint32_t limit = 0;
    EXPECT_EQ(RunTimerDialog(nullptr, &limit), 0);
    EXPECT_EQ(limit, 0u);
    TimerSlot slots[TIMER_SLOT_COUNT];
    GetTimerSlots(slots);
    EXPECT_EQ(slots[2].flags, 0);
}

TEST_F(RecordDialogs, AutoRecordingOpensWithTheStoredChoiceAndStoresTheNewOne) {
    SetAutoLevels(320, 1, 3);
    static int stillOpenAfterEnter;
    Script(L"Auto recording", [](HWND dlg) {
        EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_AUTO_START_ONLY), BST_CHECKED);
        EXPECT_EQ(Sel(dlg, IDC_AUTO_LEVEL), 3);
        EXPECT_EQ(Item(dlg, IDC_AUTO_LEVEL, 0), L"Silence(*)");
        EXPECT_EQ(Sel(dlg, IDC_AUTO_START_COUNT), 1);
        EXPECT_EQ(Item(dlg, IDC_AUTO_START_COUNT, 2), L"0.3 seconds.(*)");
        EXPECT_EQ(Sel(dlg, IDC_AUTO_END_COUNT), 3);
        CheckRadioButton(dlg, IDC_AUTO_OFF, IDC_AUTO_START_ONLY, IDC_AUTO_START_AND_END);
        SendDlgItemMessageW(dlg, IDC_AUTO_LEVEL, CB_SETCURSEL, 4, 0);
        SendDlgItemMessageW(dlg, IDC_AUTO_END_COUNT, CB_SETCURSEL, 0, 0);
        EnterOn(dlg, IDC_AUTO_LEVEL);
        stillOpenAfterEnter = IsWindow(dlg);
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    uint32_t mode = AUTO_RECORD_START_ONLY;
    EXPECT_EQ(RunAutoRecordingDialog(nullptr, &mode), AUTO_DIALOG_OK);
    EXPECT_TRUE(stillOpenAfterEnter);
    EXPECT_EQ(mode, (uint32_t)AUTO_RECORD_START_AND_END);
    uint16_t threshold, start, end;
    GetAutoLevels(&threshold, &start, &end);
    EXPECT_EQ(threshold, 1024);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 0);

    Script(L"Auto recording", [](HWND dlg) {
        CheckRadioButton(dlg, IDC_AUTO_OFF, IDC_AUTO_START_ONLY, IDC_AUTO_OFF);
        SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(RunAutoRecordingDialog(nullptr, &mode), AUTO_DIALOG_CANCEL);
    EXPECT_EQ(mode, (uint32_t)AUTO_RECORD_START_AND_END);
}
}  // namespace
