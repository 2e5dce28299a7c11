// End to end under Wine: the Windows driver loads tavenc.dll by name and encodes through the
// six calls; the file must decode cleanly with mpg123, match the input, and equal what the
// native command-line encoder makes of the same file (same code, same arithmetic). Skipped when
// the Windows build tree has not been built.
#include <gtest/gtest.h>
#include <unistd.h>

#include "enc_test_util.h"

using namespace enctest;

TEST(TavencDll, EncodesUnderWineAndDecodesCleanly) {
    std::string bin = std::string(QD_WINDOWS_BUILD_DIR) + "/bin/";
    if (ReadFile(bin + "tavenc.dll").empty() || ReadFile(bin + "tavenc_wine_encode.exe").empty())
        GTEST_SKIP() << "Windows build not found in " << bin;
    Pcm in = MusicLike(44100, 2, 1.5);
    std::string base = "/tmp/tavenc_wine_" + std::to_string(::getpid());
    ASSERT_TRUE(WriteFile(base + ".wav", WaveBytes(in)));
    struct {
        int layer, bitrate, delay;
        double floorDb;
    } cases[] = {
        {1, 256, 481,  28.0},
        {2, 192, 481,  26.0},
        {3, 128, 1633, 29.0}
    };
    for (const auto& c : cases) {
        std::string mpa = base + ".mp" + std::to_string(c.layer);
        std::string cmd = std::string(QD_SOURCE_DIR) + "/scripts/wine-run.sh '" + bin +
                          "tavenc_wine_encode.exe' 'Z:" + base + ".wav' 'Z:" + mpa + "' " + std::to_string(c.layer) +
                          " " + std::to_string(c.bitrate);
        ASSERT_EQ(RunCommand(cmd, nullptr), 0) << cmd;
        std::string native = base + ".native";
        ASSERT_EQ(RunCommand(std::string(QD_BINARY_DIR) + "/bin/taven -t -l " + std::to_string(c.layer) + " -b " +
                                 std::to_string(c.bitrate) + " '" + base + ".wav' '" + native + "'",
                             nullptr),
                  0);
        EXPECT_TRUE(ReadFile(native) == ReadFile(mpa)) << "layer " << c.layer << ": DLL and native streams differ";
        std::remove(native.c_str());
        std::string text;
        EXPECT_EQ(RunCommand("mpg123 -w '" + mpa + ".wav' '" + mpa + "'", &text), 0);
        for (const char* word : {"Note:", "Warning", "error", "Illegal"})
            EXPECT_EQ(text.find(word), std::string::npos) << "layer " << c.layer << ": " << text;
        Pcm out = ReadWave(mpa + ".wav");
        double sig = 0, err = 0;
        ASSERT_GE(out.samples.size(), in.samples.size() + size_t(c.delay) * 2);
        for (size_t i = 0; i < in.samples.size(); ++i) {
            double a = in.samples[i], b = out.samples[i + size_t(c.delay) * 2];
            sig += a * a;
            err += (a - b) * (a - b);
        }
        EXPECT_GE(10.0 * std::log10(sig / (err + 1e-9)), c.floorDb) << "layer " << c.layer;
        std::remove(mpa.c_str());
        std::remove((mpa + ".wav").c_str());
    }
    std::remove((base + ".wav").c_str());
}
