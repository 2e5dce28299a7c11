// The rig itself: PCM queued for the input arrives through the named source in real time, and
// what is played into the named sink can be recorded from its monitor; a stop ends every process
// the rig started and nothing else; the prefix preparation mends a prefix older than Wine's
// 32-bit half.
#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fstream>
#include <sstream>
#include <string>

namespace {
const int RATE = 44100;

std::vector<int16_t> Tone(int ms, int amplitude) {
    std::vector<int16_t> pcm;
    for (int i = 0; i < RATE * ms / 1000; ++i) {
        int16_t v = (int16_t)(amplitude * std::sin(2 * M_PI * 1000.0 * i / RATE));
        pcm.push_back(v);
        pcm.push_back(v);
    }
    return pcm;
}

// Frames whose absolute sample value reaches the threshold.
int LoudFrames(const std::vector<int16_t>& pcm, int threshold) {
    int n = 0;
    for (size_t i = 0; i + 1 < pcm.size(); i += 2)
        if (std::abs(pcm[i]) >= threshold) ++n;
    return n;
}

pid_t Record(const Rig& rig, const std::string& device, const std::string& path) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("PULSE_SERVER", rig.pulseServer.c_str(), 1);
        execlp("sh", "sh", "-c",
               ("exec parec -d " + device + " --raw --format=s16le --rate=44100 --channels=2 > '" + path + "'").c_str(),
               (char*)nullptr);
        _exit(127);
    }
    return pid;
}

TEST(Rig, FedPcmArrivesAtTheInputAndPlayedSoundAtTheMonitor) {
    Rig rig;
    ASSERT_TRUE(StartRig(&rig));
    std::string in = rig.dir + "/input.raw";
    pid_t rec = Record(rig, "vin", in);
    ASSERT_TRUE(WaitForFile(in, e2e::WAIT_MS, 44100 * 4 / 10));  // the silence flows before the tone
    ASSERT_TRUE(FeedPcm(rig, Tone(500, 16000)));
    ASSERT_TRUE(WaitForFile(in, e2e::WAIT_MS, 44100 * 4 * 2));
    StopProcess(rec);
    int loud = LoudFrames(ReadPcmFile(in), 8000);
    EXPECT_GT(loud, 44100 / 4) << "the tone reached the input";
    EXPECT_LT(loud, 44100 / 2 + 100) << "played once, not repeated";

    std::string out = rig.dir + "/monitor.raw";
    pid_t mon = StartSinkRecording(rig, out);
    std::string tone = rig.dir + "/tone.raw";
    {
        std::vector<int16_t> pcm = Tone(300, 12000);
        FILE* f = fopen(tone.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        fwrite(pcm.data(), 2, pcm.size(), f);
        fclose(f);
    }
    std::string play = "PULSE_SERVER='" + rig.pulseServer +
                       "' pacat -p -d vout --raw --format=s16le --rate=44100 --channels=2 '" + tone + "'";
    ASSERT_EQ(0, std::system(play.c_str()));
    ASSERT_TRUE(WaitForFile(out, e2e::WAIT_MS, 44100 * 4 / 2));
    StopSinkRecording(mon);
    EXPECT_GT(LoudFrames(ReadPcmFile(out), 6000), 44100 / 10);
    StopRig(&rig);
}

// Running, as opposed to ended: gone, or a zombie nobody has reaped yet.
bool Running(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return false;
    size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

TEST(Rig, StopEndsEveryProcessOfTheRigButNoneThatTookOverAnOldPid) {
    Rig rig;
    ASSERT_TRUE(StartRig(&rig));
    std::vector<pid_t> started;
    std::istringstream pids(ReadTextFile(rig.dir + "/pids"));
    for (std::string line; std::getline(pids, line);) started.push_back((pid_t)std::atol(line.c_str()));
    ASSERT_GE(started.size(), 4u) << "X, the sound server, two drainers";
    // A process that now holds a PID the rig once recorded, with that old process's start time.
    pid_t stranger = fork();
    if (stranger == 0) {
        execlp("sleep", "sleep", "60", (char*)nullptr);
        _exit(127);
    }
    std::ofstream(rig.dir + "/pids", std::ios::app) << stranger << " feeder 1\n";
    StopRig(&rig);
    for (pid_t pid : started) EXPECT_FALSE(Running(pid)) << pid;
    EXPECT_EQ(0, waitpid(stranger, nullptr, WNOHANG)) << "the stranger lives on";
    kill(stranger, SIGKILL);
    waitpid(stranger, nullptr, 0);
}

// A prefix made before Wine's 32-bit half was installed lacks syswow64, and every start in it
// fails until the preparation every script and rig goes through upgrades it, also straight after
// such a failed start (whose server is still winding down).
TEST(Rig, APrefixWithoutThe32BitHalfIsUpgradedByItsPreparation) {
    ASSERT_TRUE(PathExists("/usr/lib/wine/wine")) << "Wine's 32-bit half (wine32:i386) is missing";
    char tmpl[] = "/tmp/qd_prefix_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(tmpl));
    const std::string dir = tmpl, env = "WINEPREFIX='" + dir + "/prefix' WINEDEBUG=-all ",
                      prepare = env + SourceDir() + "/scripts/wine-prefix.sh 2>/dev/null",
                      start = env + "wine cmd /c exit >/dev/null 2>&1";
    EXPECT_EQ(0, std::system(prepare.c_str()));
    EXPECT_EQ(0, std::system(start.c_str()));
    EXPECT_EQ(0, std::system(("WINEPREFIX='" + dir + "/prefix' wineserver -w").c_str()));
    ASSERT_EQ(0, std::system(("rm -rf '" + dir + "/prefix/drive_c/windows/syswow64'").c_str()));
    EXPECT_NE(0, std::system(start.c_str())) << "a start in a prefix without syswow64 fails";
    EXPECT_EQ(0, std::system(prepare.c_str()));
    EXPECT_EQ(0, std::system(start.c_str())) << "and works once it is prepared";
    std::system(("WINEPREFIX='" + dir + "/prefix' wineserver -k; rm -rf '" + dir + "'").c_str());
}
}  // namespace
