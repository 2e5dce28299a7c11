// Loading the MPEG libraries on Windows: LoadLibrary and GetProcAddress, by name, in order.
#include "playback/mpeg_libraries.h"
#include <windows.h>

int BindLibrary(const char* fileName, const char* const* names, int count, void** fnOut, void** moduleOut) {
    for (int i = 0; i < count; ++i) fnOut[i] = nullptr;
    *moduleOut = nullptr;
    HMODULE module = LoadLibraryA(fileName);
    if (!module) return 0;
    for (int i = 0; i < count; ++i) {
        FARPROC fn = GetProcAddress(module, names[i]);
        if (!fn) {
            for (int j = 0; j < count; ++j) fnOut[j] = nullptr;
            FreeLibrary(module);
            return 0;
        }
        fnOut[i] = reinterpret_cast<void*>(fn);
    }
    *moduleOut = module;
    return 1;
}

void UnbindLibrary(void* module) {
    if (module) FreeLibrary(static_cast<HMODULE>(module));
}
