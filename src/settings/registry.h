// Registry seam: keys of the current user's hive, opened or created one at a time, with DWORD
// and string values read and written by name. The Win32 build talks to the system registry; the
// native build keeps an in-memory hive with the same rules (volatile keys, keys created together
// with their missing parents, access rights), so the settings code is tested without Windows.
#pragma once
#include <cstddef>
#include <cstdint>

typedef void* RegistryKey;  // an open key; nullptr when none

enum RegistryAccess {
    REGISTRY_READ = 0,        // query values only
    REGISTRY_READ_WRITE = 1,  // query and set values, create sub-keys
};

// Opens an existing key under the current user's hive. Returns 1 and the key, or 0 (missing or
// not accessible) with *keyOut = nullptr.
int RegistryOpenKey(const char* path, int access, RegistryKey* keyOut);

// Opens the key with full access, creating it when missing. A key created here is volatile: it
// and every missing parent made with it last only until the system restarts. An existing key
// keeps its own kind. Returns 1 and the key, or 0 with *keyOut = nullptr.
int RegistryCreateVolatileKey(const char* path, RegistryKey* keyOut);

// Reads a value into a zeroed 4-byte buffer whatever its stored type. Returns 0 (valueOut
// untouched) when the value is missing or its data is longer than 4 bytes.
int RegistryReadDword(RegistryKey key, const char* name, uint32_t* valueOut);

// Reads a value as text into buf (bufBytes with the terminating zero), whatever its stored
// type; the result is always terminated. Returns 0 (buf untouched) when the value is missing or
// does not fit.
int RegistryReadString(RegistryKey key, const char* name, char* buf, size_t bufBytes);

int RegistryWriteDword(RegistryKey key, const char* name, uint32_t value);     // REG_DWORD; 1 = written
int RegistryWriteString(RegistryKey key, const char* name, const char* text);  // REG_SZ; 1 = written
int RegistryDeleteValue(RegistryKey key, const char* name);                    // 1 = gone (or was never there)
void RegistryCloseKey(RegistryKey key);                                        // nullptr is ignored

// Closes the held key on every path out of a scope.
struct RegistryKeyGuard {
    RegistryKey key = nullptr;
    RegistryKeyGuard() = default;
    RegistryKeyGuard(const RegistryKeyGuard&) = delete;
    RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;
    ~RegistryKeyGuard() { RegistryCloseKey(key); }
};

// ---- Native build only: the in-memory hive, driven by tests -----------------------------------
enum {
    REGISTRY_TYPE_SZ = 1,  // the system's value type numbers, so stored data looks the same
    REGISTRY_TYPE_BINARY = 3,
    REGISTRY_TYPE_DWORD = 4,
};

void RegistryResetForTest();                                   // an empty hive holding only "SOFTWARE"
void RegistrySimulateRestart();                                // volatile keys and their values vanish
int RegistryInstallKey(const char* path);                      // an ordinary (persistent) key with its parents; 1 = ok
void RegistrySetUnopenable(const char* path, int unopenable);  // deny open and create of path
int RegistryKeyExists(const char* path);
int RegistryKeyIsVolatile(const char* path);
int RegistryValueCount(const char* path);  // -1 when the key does not exist
// Stores raw data of any type (for values written by someone else); 1 = stored.
int RegistryPutRaw(const char* path, const char* name, uint32_t type, const void* data, size_t bytes);
int RegistryOpenKeyCount();  // keys opened and not yet closed
