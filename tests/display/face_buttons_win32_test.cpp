// The face's buttons and sliders as real windows (under Wine): the sliders keep their tips in
// the buttons' tooltip control, so tearing the buttons down takes the sliders first, and their
// tools come off the control while it still exists.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "base/shell_handles.h"
#include "display/face_buttons.h"
#include "hardware/slider.h"

namespace {
WNDPROC g_tipProc;
int g_toolsTakenOff, g_tipGone, g_toolsTakenOffBeforeTipWent;

LRESULT CALLBACK WatchTooltip(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TTM_DELTOOLA || msg == TTM_DELTOOLW) ++g_toolsTakenOff;
    if (msg == WM_DESTROY) {
        g_tipGone = 1;
        g_toolsTakenOffBeforeTipWent = g_toolsTakenOff;
    }
    return CallWindowProcA(g_tipProc, hwnd, msg, wp, lp);
}
}  // namespace

TEST(FaceButtonsWin32, TheSlidersGoFirstAndTakeTheirTipsOffTheSharedTooltip) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE inst = GetModuleHandleA(nullptr);
    SetInstanceHandle(inst);
    ASSERT_TRUE(RegisterSliderClass(inst));
    HWND main = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 105, nullptr, nullptr, inst, nullptr);
    ASSERT_TRUE(main);
    SetMainWindowHandle(main);
    ASSERT_EQ(CreateFaceButtons(), 1);
    HWND tip = (HWND)FaceToolTip();
    ASSERT_TRUE(tip);
    ASSERT_EQ(CreateSliders(main, tip), 1);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 23 + SLIDER_COUNT);
    g_tipProc = (WNDPROC)SetWindowLongPtrA(tip, GWLP_WNDPROC, (LONG_PTR)WatchTooltip);

    DestroyFaceButtons();
    EXPECT_EQ(FindWindowExA(main, nullptr, "USB_AUDIO_SLIDER", nullptr), nullptr) << "the sliders went too";
    EXPECT_EQ(g_tipGone, 1);
    EXPECT_EQ(g_toolsTakenOffBeforeTipWent, SLIDER_COUNT) << "the sliders' tools came off the living control";

    DestroySliders();  // a second teardown finds nothing left to do
    DestroyWindow(main);
    SetMainWindowHandle(nullptr);
    UnregisterSliderClass(inst);
}
