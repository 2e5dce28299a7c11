// In-memory registry for the native build: the current user's hive as a map of keys, with the
// rules the settings code depends on: names compared without case, volatile keys that vanish at a
// restart, missing parents created with the same kind, read-only handles, and keys that can be
// made unopenable to exercise the failure paths.
#include "base/native_calls.h"
#include "settings/registry.h"

#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct StoredValue {
    std::string name;  // as first written
    uint32_t type;     // REGISTRY_TYPE_*
    std::vector<uint8_t> data;
};

struct StoredKey {
    bool isVolatile = false;
    std::vector<StoredValue> values;  // in creation order
};

struct OpenHandle {
    std::string path;  // normalised
    bool writable;
};

struct HiveState {
    std::map<std::string, StoredKey> keys = {
        {"",         {}},
        {"SOFTWARE", {}}
    };   // by normalised path; "" is the root
    std::set<std::string> unopenable;  // normalised paths that refuse open and create
    int openCount = 0;                 // handles not yet closed
};
HiveState g_hive;

// Upper case, no trailing separators: "Software\\X\\" and "SOFTWARE\\x" are one key.
std::string Normalise(const char* path) {
    std::string s;
    for (const char* p = path; *p; ++p) s += (char)std::toupper((unsigned char)*p);
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

std::string ParentOf(const std::string& path) {
    size_t cut = path.rfind('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool SameName(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper((unsigned char)a[i]) != std::toupper((unsigned char)b[i])) return false;
    return true;
}

StoredKey* FindKey(const std::string& path) {
    auto it = g_hive.keys.find(path);
    return it == g_hive.keys.end() ? nullptr : &it->second;
}

StoredValue* FindValue(StoredKey* key, const char* name) {
    for (StoredValue& v : key->values)
        if (SameName(v.name, name)) return &v;
    return nullptr;
}

// Creates path and its missing parents with the given kind. As on the system, an ordinary key
// cannot be made under a volatile one.
int CreateKeyChain(const std::string& path, bool isVolatile) {
    if (FindKey(path)) return 1;
    std::string parent = ParentOf(path);
    if (!CreateKeyChain(parent, isVolatile)) return 0;
    if (FindKey(parent)->isVolatile && !isVolatile) return 0;
    g_hive.keys[path].isVolatile = isVolatile;
    return 1;
}

RegistryKey NewHandle(const std::string& path, bool writable) {
    g_hive.openCount++;
    return new OpenHandle{path, writable};
}

StoredKey* KeyOf(RegistryKey key) { return key ? FindKey(static_cast<OpenHandle*>(key)->path) : nullptr; }

int PutValue(StoredKey* key, const char* name, uint32_t type, const void* data, size_t bytes) {
    StoredValue* v = FindValue(key, name);
    if (!v) {
        key->values.push_back(StoredValue{name, type, {}});
        v = &key->values.back();
    }
    v->type = type;
    v->data.assign((const uint8_t*)data, (const uint8_t*)data + bytes);
    return 1;
}

}  // namespace

int RegistryOpenKey(const char* path, int access, RegistryKey* keyOut) {
    *keyOut = nullptr;
    std::string p = Normalise(path);
    NoteNativeCall("RegistryOpenKey " + p);
    if (g_hive.unopenable.count(p) || !FindKey(p)) return 0;
    *keyOut = NewHandle(p, access == REGISTRY_READ_WRITE);
    return 1;
}

int RegistryCreateVolatileKey(const char* path, RegistryKey* keyOut) {
    *keyOut = nullptr;
    std::string p = Normalise(path);
    NoteNativeCall("RegistryCreateVolatileKey " + p);
    if (g_hive.unopenable.count(p) || !CreateKeyChain(p, true)) return 0;
    *keyOut = NewHandle(p, true);
    return 1;
}

int RegistryReadDword(RegistryKey key, const char* name, uint32_t* valueOut) {
    StoredKey* k = KeyOf(key);
    StoredValue* v = k ? FindValue(k, name) : nullptr;
    if (!v || v->data.size() > 4) return 0;
    uint8_t bytes[4] = {0, 0, 0, 0};
    std::memcpy(bytes, v->data.data(), v->data.size());
    *valueOut = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | (uint32_t)bytes[3] << 24;
    return 1;
}

int RegistryReadString(RegistryKey key, const char* name, char* buf, size_t bufBytes) {
    StoredKey* k = KeyOf(key);
    StoredValue* v = k ? FindValue(k, name) : nullptr;
    if (!v || bufBytes == 0 || v->data.size() > bufBytes) return 0;
    std::memcpy(buf, v->data.data(), v->data.size());
    buf[v->data.size() < bufBytes ? v->data.size() : bufBytes - 1] = 0;
    return 1;
}

int RegistryWriteDword(RegistryKey key, const char* name, uint32_t value) {
    StoredKey* k = KeyOf(key);
    if (!k || !static_cast<OpenHandle*>(key)->writable) return 0;
    uint8_t bytes[4] = {(uint8_t)value, (uint8_t)(value >> 8), (uint8_t)(value >> 16), (uint8_t)(value >> 24)};
    NoteNativeCall(std::string("RegistryWrite ") + name);
    return PutValue(k, name, REGISTRY_TYPE_DWORD, bytes, 4);
}

int RegistryWriteString(RegistryKey key, const char* name, const char* text) {
    StoredKey* k = KeyOf(key);
    if (!k || !static_cast<OpenHandle*>(key)->writable) return 0;
    NoteNativeCall(std::string("RegistryWrite ") + name);
    return PutValue(k, name, REGISTRY_TYPE_SZ, text, std::strlen(text) + 1);
}

int RegistryDeleteValue(RegistryKey key, const char* name) {
    StoredKey* k = KeyOf(key);
    if (!k || !static_cast<OpenHandle*>(key)->writable) return 0;
    for (auto it = k->values.begin(); it != k->values.end();)
        it = SameName(it->name, name) ? k->values.erase(it) : it + 1;
    return 1;
}

void RegistryCloseKey(RegistryKey key) {
    if (!key) return;
    g_hive.openCount--;
    delete static_cast<OpenHandle*>(key);
}

// ---- test controls -----------------------------------------------------------------------------

void RegistryResetForTest() { g_hive = HiveState(); }

void RegistrySimulateRestart() {
    for (auto it = g_hive.keys.begin(); it != g_hive.keys.end();)
        it = it->second.isVolatile ? g_hive.keys.erase(it) : std::next(it);
}

int RegistryInstallKey(const char* path) { return CreateKeyChain(Normalise(path), false); }

void RegistrySetUnopenable(const char* path, int unopenable) {
    if (unopenable)
        g_hive.unopenable.insert(Normalise(path));
    else
        g_hive.unopenable.erase(Normalise(path));
}

int RegistryKeyExists(const char* path) { return FindKey(Normalise(path)) != nullptr; }

int RegistryKeyIsVolatile(const char* path) {
    StoredKey* k = FindKey(Normalise(path));
    return k && k->isVolatile;
}

int RegistryValueCount(const char* path) {
    StoredKey* k = FindKey(Normalise(path));
    return k ? (int)k->values.size() : -1;
}

int RegistryPutRaw(const char* path, const char* name, uint32_t type, const void* data, size_t bytes) {
    StoredKey* k = FindKey(Normalise(path));
    return k ? PutValue(k, name, type, data, bytes) : 0;
}

int RegistryOpenKeyCount() { return g_hive.openCount; }
