// The slider window class, registered with the main window's class. Its window is drawn by its
// own module; until that exists the class carries a plain procedure.
#include "app/main_window.h"
#include "resources/resource.h"
#include <windows.h>

namespace {
const char SLIDER_CLASS[] = "USB_AUDIO_SLIDER";
const char SLIDER_MENU_NAME[] = "USB Audio Slider";
}  // namespace

int RegisterSliderClass(void* instance) {
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_SAVEBITS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = (HINSTANCE)instance;
    wc.hIcon = LoadIconA((HINSTANCE)instance, MAKEINTRESOURCEA(IDI_DECK));
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = SLIDER_MENU_NAME;
    wc.lpszClassName = SLIDER_CLASS;
    return RegisterClassA(&wc) != 0;
}

void UnregisterSliderClass(void* instance) { UnregisterClassA(SLIDER_CLASS, (HINSTANCE)instance); }
