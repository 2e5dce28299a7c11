// Win32 registry: the seam's keys are HKEYs under HKEY_CURRENT_USER. Error codes become 1/0 here.
#include "settings/registry.h"

#include <windows.h>

#include <cstring>

int RegistryOpenKey(const char* path, int access, RegistryKey* keyOut) {
    *keyOut = nullptr;
    REGSAM rights = access == REGISTRY_READ_WRITE ? (KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) : KEY_READ;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, rights, &h) != ERROR_SUCCESS) return 0;
    *keyOut = h;
    return 1;
}

int RegistryCreateVolatileKey(const char* path, RegistryKey* keyOut) {
    *keyOut = nullptr;
    char emptyClass[1] = "";
    HKEY h = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, emptyClass, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &h,
                        &disposition) != ERROR_SUCCESS)
        return 0;
    *keyOut = h;
    return 1;
}

int RegistryReadDword(RegistryKey key, const char* name, uint32_t* valueOut) {
    if (!key) return 0;
    DWORD value = 0, type = 0, bytes = sizeof value;
    if (RegQueryValueExA((HKEY)key, name, nullptr, &type, (BYTE*)&value, &bytes) != ERROR_SUCCESS) return 0;
    *valueOut = value;
    return 1;
}

int RegistryReadString(RegistryKey key, const char* name, char* buf, size_t bufBytes) {
    if (!key || bufBytes == 0) return 0;
    // Read into a scratch buffer so a value that does not fit leaves buf as it was.
    char scratch[1024];
    DWORD type = 0, bytes = bufBytes < sizeof scratch ? (DWORD)bufBytes : (DWORD)sizeof scratch;
    if (RegQueryValueExA((HKEY)key, name, nullptr, &type, (BYTE*)scratch, &bytes) != ERROR_SUCCESS) return 0;
    std::memcpy(buf, scratch, bytes);
    buf[bytes < bufBytes ? bytes : bufBytes - 1] = 0;
    return 1;
}

int RegistryWriteDword(RegistryKey key, const char* name, uint32_t value) {
    if (!key) return 0;
    DWORD v = value;
    return RegSetValueExA((HKEY)key, name, 0, REG_DWORD, (const BYTE*)&v, sizeof v) == ERROR_SUCCESS;
}

int RegistryWriteString(RegistryKey key, const char* name, const char* text) {
    if (!key) return 0;
    return RegSetValueExA((HKEY)key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)std::strlen(text) + 1) == ERROR_SUCCESS;
}

int RegistryDeleteValue(RegistryKey key, const char* name) {
    if (!key) return 0;
    LONG r = RegDeleteValueA((HKEY)key, name);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

void RegistryCloseKey(RegistryKey key) {
    if (key) RegCloseKey((HKEY)key);
}
