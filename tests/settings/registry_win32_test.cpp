// The Win32 registry seam against the system registry (run under Wine): the same contracts the
// in-memory hive keeps for the native tests. Works under a scratch key of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include "settings/registry.h"

namespace {

const char* const ROOT = "SOFTWARE\\QuaverlyDeckSeamTest";

class RegistrySeam : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, ROOT);
        HKEY h;
        // An ordinary parent first, so that the volatile keys below do not make it volatile too.
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ROOT, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(h);
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, ROOT); }

    // Whether an ordinary sub-key can be made under path (the system refuses under a volatile key).
    static LONG MakeOrdinaryChild(const std::string& path) {
        HKEY h;
        LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, (path + "\\Child").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &h, nullptr);
        if (rc == ERROR_SUCCESS) RegCloseKey(h);
        return rc;
    }
};

TEST_F(RegistrySeam, CreatesVolatileKeysAndKeepsExistingOnes) {
    std::string fresh = std::string(ROOT) + "\\Fresh";
    RegistryKeyGuard none;
    EXPECT_FALSE(RegistryOpenKey(fresh.c_str(), REGISTRY_READ_WRITE, &none.key));
    EXPECT_EQ(none.key, nullptr);

    RegistryKeyGuard created;
    ASSERT_TRUE(RegistryCreateVolatileKey(fresh.c_str(), &created.key));
    EXPECT_EQ(MakeOrdinaryChild(fresh), ERROR_CHILD_MUST_BE_VOLATILE);

    RegistryKeyGuard existing;
    ASSERT_TRUE(RegistryCreateVolatileKey(ROOT, &existing.key));
    EXPECT_EQ(MakeOrdinaryChild(ROOT), ERROR_SUCCESS) << "an existing key keeps its kind";
}

TEST_F(RegistrySeam, ReadsAndWritesValuesWithinTheirLimits) {
    RegistryKeyGuard rw;
    ASSERT_TRUE(RegistryOpenKey(ROOT, REGISTRY_READ_WRITE, &rw.key));
    EXPECT_TRUE(RegistryWriteDword(rw.key, "Number", 0x12345678));
    EXPECT_TRUE(RegistryWriteString(rw.key, "Text", "C:\\Rec\\take"));
    const char longText[] = "12345678";
    RegSetValueExA((HKEY)rw.key, "LongText", 0, REG_SZ, (const BYTE*)longText, sizeof longText);
    const BYTE twoBytes[2] = {7, 1};
    RegSetValueExA((HKEY)rw.key, "Short", 0, REG_BINARY, twoBytes, 2);

    RegistryKeyGuard ro;
    ASSERT_TRUE(RegistryOpenKey(ROOT, REGISTRY_READ, &ro.key));
    EXPECT_FALSE(RegistryWriteDword(ro.key, "Number", 1)) << "a read-only key takes no values";

    uint32_t v = 99;
    EXPECT_TRUE(RegistryReadDword(ro.key, "Number", &v));
    EXPECT_EQ(v, 0x12345678u);
    EXPECT_TRUE(RegistryReadDword(ro.key, "Short", &v));
    EXPECT_EQ(v, 0x107u);
    v = 99;
    EXPECT_FALSE(RegistryReadDword(ro.key, "LongText", &v));
    EXPECT_FALSE(RegistryReadDword(ro.key, "Missing", &v));
    EXPECT_EQ(v, 99u);

    char buf[32] = "old";
    EXPECT_TRUE(RegistryReadString(ro.key, "Text", buf, sizeof buf));
    EXPECT_STREQ(buf, "C:\\Rec\\take");
    char small[5] = "old";
    EXPECT_FALSE(RegistryReadString(ro.key, "LongText", small, sizeof small));
    EXPECT_STREQ(small, "old");
}

}  // namespace
