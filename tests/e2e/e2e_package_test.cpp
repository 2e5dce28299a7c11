// The download a Windows user gets: the zip that scripts/package.sh makes holds the program, its
// two libraries and the texts for users (not our test selector), and unpacked into a fresh Wine
// prefix with nothing installed the deck starts, plays and records.
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
        // A prefix of its own, made for this test and removed after it.
        setenv("QD_E2E_WINEPREFIX", (scratch + "/prefix").c_str(), 1);
    }
    void TearDown() override {
        StopRig(&rig);
        unsetenv("QD_E2E_WINEPREFIX");
        if (!scratch.empty()) std::system(("rm -rf '" + scratch + "'").c_str());
    }
    Rig rig;
    std::string scratch;
};

TEST_F(Package, TheZipHoldsWhatAUserNeedsAndRunsUnpackedInAFreshPrefix) {
    std::string zips = Output(SourceDir() + "/scripts/package.sh --no-build --out '" + scratch + "' 2>&1");
    std::string zip = zips.substr(0, zips.find('\n'));
    ASSERT_NE(zip.find("/QuaverlyDeck-"), std::string::npos) << zips;
    ASSERT_NE(zip.find("-win64.zip"), std::string::npos) << zips;
    std::string folder = zip.substr(zip.rfind('/') + 1, zip.size() - zip.rfind('/') - 5);

    std::string listing = Output("cd '" + scratch + "' && unzip -Z1 '" + zip + "' | sort");
    const std::string expected = folder + "/\n" + folder + "/LICENSE.txt\n" + folder + "/Movello.exe\n" + folder +
                                 "/README.txt\n" + folder + "/THIRD-PARTY.txt\n" + folder + "/tavenc.dll\n" +
                                 folder + "/tavply.dll\n";
    EXPECT_EQ(expected, listing);
    ASSERT_EQ(0, std::system(("cd '" + scratch + "' && unzip -q '" + zip + "' -d unpacked").c_str()));

    ASSERT_TRUE(StartRig(&rig));
    deck_check::PlayAndRecord(rig, scratch + "/unpacked/" + folder + "/Movello.exe",
                              std::string(QD_BINARY_DIR) + "/demo/2-chime-c523.mp3");
}
}  // namespace
