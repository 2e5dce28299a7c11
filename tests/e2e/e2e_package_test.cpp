// The download a Windows user gets: each zip that scripts/package.sh makes (64-bit, and 32-bit
// when that build is there) holds the program, its two libraries and the texts for users (not our
// test selector), and unpacked into a fresh Wine prefix with nothing installed the deck starts,
// plays and records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e/deck_check.h"

namespace {
std::string Output(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    return out;
}

class Package : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PathExists(DeckExePath())) GTEST_SKIP() << "Windows build missing";
        char tmpl[] = "/tmp/qd_package_XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        scratch = tmpl;
    }
    void TearDown() override {
        StopRig(&rig);
        unsetenv("QD_E2E_WINEPREFIX");
        if (!scratch.empty()) std::system(("rm -rf '" + scratch + "'").c_str());
    }
    Rig rig;
    std::string scratch;
};

// Each zip the build makes: win64, and win32 when the 32-bit tree is built.
TEST_F(Package, EachZipHoldsWhatAUserNeedsAndRunsUnpackedInAFreshPrefix) {
    std::string zips = Output(SourceDir() + "/scripts/package.sh --no-build --out '" + scratch + "' 2>&1");
    ASSERT_NE(zips.find("-win64.zip\n"), std::string::npos) << zips;
    if (PathExists(SourceDir() + "/build/windows32/bin/Movello.exe")) {
        ASSERT_NE(zips.find("-win32.zip\n"), std::string::npos) << "the 32-bit build is packed too: " << zips;
    }
    for (size_t at = 0, end; (end = zips.find('\n', at)) != std::string::npos; at = end + 1) {
        std::string zip = zips.substr(at, end - at);
        SCOPED_TRACE(zip);
        ASSERT_NE(zip.find("/QuaverlyDeck-"), std::string::npos) << zips;
        std::string folder = zip.substr(zip.rfind('/') + 1, zip.size() - zip.rfind('/') - 5);
        std::string listing = Output("cd '" + scratch + "' && unzip -Z1 '" + zip + "' | LC_ALL=C sort");
        const std::string expected = folder + "/\n" + folder + "/LICENSE.txt\n" + folder + "/Movello.exe\n" + folder +
                                     "/README.txt\n" + folder + "/THIRD-PARTY.txt\n" + folder + "/qdctl.exe\n" +
                                     folder + "/tavenc.dll\n" + folder + "/tavply.dll\n";
        EXPECT_EQ(expected, listing);
        ASSERT_EQ(0, std::system(("cd '" + scratch + "' && unzip -q '" + zip + "' -d unpacked").c_str()));

        // 32-bit programs need Wine's 32-bit half (wine32:i386), which scripts/setup.sh installs.
        if (zip.find("-win32.zip") != std::string::npos && !PathExists("/usr/lib/wine/wine")) {
            ADD_FAILURE() << "Wine's 32-bit half (wine32:i386) is missing: the 32-bit zip cannot run";
            continue;
        }
        // A prefix of its own for each, made for this test and removed after it.
        setenv("QD_E2E_WINEPREFIX", (scratch + "/prefix-" + folder).c_str(), 1);
        ASSERT_TRUE(StartRig(&rig));
        deck_check::PlayAndRecord(rig, scratch + "/unpacked/" + folder + "/Movello.exe",
                                  std::string(QD_BINARY_DIR) + "/demo/2-chime-c523.mp3");
        StopRig(&rig);
    }
}
}  // namespace
