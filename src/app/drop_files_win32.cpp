// Files dropped on the main window: their paths are read from the drop and opened as the face's
// drop rules say (file_intake), then the deck comes to the foreground.
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "app/file_intake.h"
#include "base/shell_handles.h"

void OnDropFiles(void* drop) {
    HDROP h = (HDROP)drop;
    UINT count = DragQueryFileA(h, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::vector<char>> names;
    std::vector<const char*> paths;
    for (UINT i = 0; i < count; ++i) {
        UINT len = DragQueryFileA(h, i, nullptr, 0);
        names.emplace_back(len + 1, '\0');
        DragQueryFileA(h, i, names.back().data(), len + 1);
    }
    for (auto& n : names) paths.push_back(n.data());
    OpenDroppedFiles(paths.data(), (int)paths.size());
    DragFinish(h);
    if (MainWindowHandle()) SetForegroundWindow((HWND)MainWindowHandle());
}
