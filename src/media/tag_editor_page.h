// The Tag Editor page's dialog procedure (Windows build only): the first page of the Edit sheet,
// which hands it the file and the two services it shares with the other pages.
#pragma once
#include <windows.h>

struct TagPageServices {
    const char* path;                                       // the file the sheet was opened with
    int (*chooseFile)(HWND page, char* pathOut, int save);  // the sheet's file chooser
    void (*centre)(HWND reference, HWND window);            // centring over the opening window
    HWND owner;                                             // the window that opened the sheet
};

// Takes a copy of the services before the sheet runs.
void SetTagPageServices(const TagPageServices* services);

INT_PTR CALLBACK TagEditorPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
