// The program's resources as the platform reads them: the string table in both languages, the
// accelerators and the version record.
#include "resources/resource.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

namespace {
// One string of the table in a given language, read from its 16-string block.
std::wstring StringIn(int id, WORD lang) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC block = FindResourceExW(self, (LPCWSTR)RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), lang);
    if (!block) return L"<none>";
    const WCHAR* p = (const WCHAR*)LockResource(LoadResource(self, block));
    for (int i = 0; i < id % 16; ++i) p += 1 + *p;
    return std::wstring(p + 1, *p);
}

const WORD EN = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const WORD JA = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

TEST(Resources, EveryStringExistsInBothLanguages) {
    for (int id = 1; id <= 95; ++id) {
        EXPECT_FALSE(StringIn(id, EN).empty()) << id;
        EXPECT_FALSE(StringIn(id, JA).empty()) << id;
    }
    EXPECT_NE(StringIn(STR_FAIL_TO_INITIALIZE, EN), StringIn(STR_FAIL_TO_INITIALIZE, JA));
}

// Every menu, dialog template and string block of the program exists in both languages, so a
// Japanese system never falls back to English for one of them.
BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    ((std::vector<LPCWSTR>*)list)->push_back(IS_INTRESOURCE(name) ? name : nullptr);
    return TRUE;
}

TEST(Resources, EveryMenuDialogAndStringBlockHasAJapaneseTwin) {
    HMODULE self = GetModuleHandleW(nullptr);
    int checked = 0;
    for (LPCWSTR type : {(LPCWSTR)RT_MENU, (LPCWSTR)RT_DIALOG, (LPCWSTR)RT_STRING}) {
        std::vector<LPCWSTR> names;
        EnumResourceNamesW(self, type, CollectName, (LONG_PTR)&names);
        for (LPCWSTR name : names) {
            if (!name || !FindResourceExW(self, type, name, EN)) continue;
            EXPECT_NE(nullptr, FindResourceExW(self, type, name, JA))
                << "type " << (int)(ULONG_PTR)type << " id " << (int)(ULONG_PTR)name;
            ++checked;
        }
    }
    EXPECT_GE(checked, 8);  // the pop-up menu, the About box and the string blocks at least
}

TEST(Resources, QuotedEnglishTextsAreExact) {
    EXPECT_EQ(L"Fail to initialize.", StringIn(STR_FAIL_TO_INITIALIZE, EN));
    EXPECT_EQ(L"Please close this application after the recording stops.", StringIn(STR_CLOSE_AFTER_RECORDING, EN));
    EXPECT_EQ(L"Cannot terminate Windows while recording.", StringIn(STR_NO_SHUTDOWN_WHILE_RECORDING, EN));
    EXPECT_EQ(L"\"%s\" was changed. \nDo you wish to save this playlist?", StringIn(STR_SAVE_CHANGED_LIST, EN));
    EXPECT_EQ(L"You need the Vornex to capture audio.\n", StringIn(STR_NEED_DEVICE, EN));
    EXPECT_EQ(L"Close (Alt + F4)", StringIn(STR_TIP_CLOSE, EN));
    EXPECT_EQ(L"Set the file name 1. ", StringIn(STR_SET_FILE_NAME_1, EN));
    EXPECT_EQ(L"Playlist file (*.SPL)|*.spl|All file (*.*)|*.*||", StringIn(STR_PLAYLIST_FILTER, EN));
}

TEST(Resources, AcceleratorsCarryTheirCommands) {
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_DECK_ACCELERATORS));
    ASSERT_NE(nullptr, table);
    ACCEL entries[8];
    ASSERT_EQ(5, CopyAcceleratorTableW(table, entries, 8));
    struct {
        WORD key, cmd;
        BYTE mods;
    } want[] = {
        {'C',       CMD_ACCEL_ALT_C,    FALT    },
        {'I',       CMD_ACCEL_ALT_I,    FALT    },
        {'V',       CMD_ACCEL_CTRL_V,   FCONTROL},
        {VK_DELETE, CMD_DELETE_ENTRIES, 0       },
        {'X',       CMD_ACCEL_ALT_X,    FALT    }
    };
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(want[i].key, entries[i].key) << i;
        EXPECT_EQ(want[i].cmd, entries[i].cmd) << i;
        EXPECT_EQ(FVIRTKEY | want[i].mods, entries[i].fVirt & ~(0x80 | FNOINVERT)) << i;
    }
    DestroyAcceleratorTable(table);
}

TEST(Resources, VersionRecordHasBothLanguages) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD handle = 0, size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, &data[0]));
    for (const char* block : {"040904b0", "041104b0"}) {
        for (const char* name : {"ProductVersion", "LegalCopyright"}) {
            std::string query = std::string("\\StringFileInfo\\") + block + "\\" + name;
            char* value = nullptr;
            UINT len = 0;
            EXPECT_TRUE(VerQueryValueA(data.data(), query.c_str(), (void**)&value, &len)) << query;
            EXPECT_GT(len, 1u) << query;
        }
    }
    ASSERT_NE(nullptr, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_DECK)));
}
}  // namespace
