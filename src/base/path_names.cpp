// File names and extensions of ANSI paths (see path_names.h).
#include "base/path_names.h"
#include <cctype>
#include <cstdint>
#include <cstring>
#include "base/system_info.h"

const char* FileNameOf(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; p++) {
        if (IsPathLeadByte(uint8_t(*p)) && p[1])
            p++;
        else if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    }
    return name;
}

const char* ExtensionOf(const char* path) {
    const char* name = FileNameOf(path);
    const char* dot = nullptr;
    for (const char* p = name; *p; p++) {
        if (IsPathLeadByte(uint8_t(*p)) && p[1])
            p++;
        else if (*p == '.')
            dot = p;
    }
    return dot ? dot : name + std::strlen(name);
}

int HasExtension(const char* path, const char* ext) {
    const char* own = ExtensionOf(path);
    for (; *own && *ext; own++, ext++)
        if (std::tolower((unsigned char)*own) != std::tolower((unsigned char)*ext)) return 0;
    return *own == 0 && *ext == 0;
}
