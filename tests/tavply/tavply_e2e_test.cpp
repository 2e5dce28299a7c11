// tavply.dll under Wine on the rig's virtual "Kelvara Vornex USB" device: tavply_driver.exe
// plays an MP3 through the library; what the device's monitor received must match our own
// decoding of the file, the status must go from playing to stopped at the end, the position
// must follow the audio, and a seek must move it.
#include <gtest/gtest.h>
#include "tool_skip.h"
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "codec/codec_test_util.h"
#include "e2e/e2e_files.h"
#include "e2e/rig.h"

using namespace codectest;

namespace {

const char DEVICE[] = "Kelvara Vornex USB";

using e2e::WinPath;

struct Poll {
    long elapsed;
    int status;
    long position;
};

struct DriverRun {
    std::vector<Poll> polls;
    int openResult = -1;
    int endStatus = -1;
    long lengthMs = 0;
    bool seeked = false;
    size_t pollsBeforeSeek = 0;
};

DriverRun Parse(const std::string& out) {
    DriverRun r;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream l(line);
        std::string word;
        l >> word;
        if (word == "info") {
            int res;
            l >> res >> r.lengthMs;
        } else if (word == "open") {
            l >> r.openResult;
        } else if (word == "poll") {
            Poll p;
            l >> p.elapsed >> p.status >> p.position;
            r.polls.push_back(p);
        } else if (word == "seek") {
            r.seeked = true;
            r.pollsBeforeSeek = r.polls.size();
        } else if (word == "end") {
            l >> r.endStatus;
        }
    }
    return r;
}

double Correlation(const float* a, const float* b, size_t n) {
    double dot = 0, ea = 0, eb = 0;
    for (size_t i = 0; i < n; ++i) {
        dot += double(a[i]) * b[i];
        ea += double(a[i]) * a[i];
        eb += double(b[i]) * b[i];
    }
    return ea > 0 && eb > 0 ? dot / std::sqrt(ea * eb) : 0.0;
}

// Best lag of ref[at .. at+n) inside rec[from .. to].
long BestLag(const std::vector<float>& rec, const std::vector<float>& ref, size_t at, size_t n, long from, long to,
             double* corrOut) {
    double best = -2;
    long bestLag = from;
    for (long l = std::max(0L, from); l <= to && size_t(l) + at + n <= rec.size(); ++l) {
        double c = Correlation(rec.data() + l + at, ref.data() + at, n);
        if (c > best) {
            best = c;
            bestLag = l;
        }
    }
    *corrOut = best;
    return bestLag;
}

// Correlation of the heard signal with the reference, window by window. The lag is found once
// from a probe in the middle of the reference; each 2048-frame window is then looked up near the
// lag of the last window that matched (a scheduling hiccup of the sound server may shift the rest
// by a few milliseconds), and a window that does not match there is looked for up to a second
// either side: on a loaded machine the server may drop a stretch, which moves everything after it.
std::vector<double> WindowCorrelations(const std::vector<float>& rec, const std::vector<float>& ref) {
    std::vector<double> out;
    const size_t win = 2048, step = 4410, probe = 8192;
    const long slack = 3000, dropout = 44100;
    const double MATCH = 0.98;
    if (ref.size() < probe * 2 || rec.size() < ref.size()) return out;
    double c;
    long lag = BestLag(rec, ref, ref.size() / 2, probe, 0, long(rec.size()), &c);
    for (size_t at = 0; at + win <= ref.size(); at += step) {
        long found = BestLag(rec, ref, at, win, lag - slack, lag + slack, &c);
        if (c <= MATCH) {
            double wide;
            long far = BestLag(rec, ref, at, win, lag - dropout, lag + dropout, &wide);
            if (wide > c) c = wide, found = far;
        }
        if (c > MATCH) lag = found;
        out.push_back(c);
    }
    return out;
}

class TavplyWine : public ::testing::Test {
protected:
    void SetUp() override {
        driver = WindowsBinDir() + "/tavply_driver.exe";
        if (!PathExists(driver) || !PathExists(WindowsBinDir() + "/tavply.dll"))
            SKIP_UNLESS_CI("Windows build missing");
        if (!HaveTool("lame") || !HaveTool("sox")) SKIP_UNLESS_CI("lame or sox missing");
        ASSERT_TRUE(StartRig(&rig));
        dir.reset(new ScratchDir("tavply_e2e"));
        // a rising tone with a stepped envelope: unambiguous to align
        ASSERT_TRUE(
            Shell("sox -n -b 16 -r 44100 -c 2 " + (*dir / "in.wav") + " synth 3 sine 300-3000 vol 0.5 tremolo 2 60"));
        ASSERT_TRUE(Shell("lame --quiet -b 192 " + (*dir / "in.wav") + " " + (*dir / "in.mp3")));
    }
    void TearDown() override { StopRig(&rig); }

    DriverRun Play(const std::vector<std::string>& extra, std::vector<int16_t>* heard) {
        std::string raw = *dir / "heard.raw";
        pid_t rec = StartSinkRecording(rig, raw);  // live once it returns
        std::vector<std::string> args = {WinPath(*dir / "in.mp3"), DEVICE};
        args.insert(args.end(), extra.begin(), extra.end());
        std::string out;
        int code = RunWine(rig, driver, args, 90000, &out);
        // The sound played up to the end goes through the monitor: half a second more of it.
        struct stat st = {};
        stat(raw.c_str(), &st);
        WaitForFile(raw, e2e::WAIT_MS, (size_t)st.st_size + 44100 * 4 / 2);
        StopSinkRecording(rec);
        EXPECT_EQ(0, code) << out;
        if (heard) *heard = ReadPcmFile(raw);
        return Parse(out);
    }

    Rig rig;
    std::string driver;
    std::unique_ptr<ScratchDir> dir;
};

TEST_F(TavplyWine, PlaysIntoTheDeviceWithStatusAndPositionFollowingTheAudio) {
    std::vector<float> ref;
    std::vector<float> decoded = DecodeBytes(ReadBytes(*dir / "in.mp3"));
    for (size_t i = 0; i < decoded.size(); i += 2) ref.push_back(decoded[i]);
    // A real-time test on a shared machine: when the sound server skipped (windows that do not
    // match), the run is repeated once before the result counts.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<int16_t> heard;
        DriverRun run = Play({}, &heard);
        ASSERT_EQ(0, run.openResult);
        ASSERT_GT(run.polls.size(), 10u);
        EXPECT_EQ(3000, run.lengthMs);
        EXPECT_EQ(1, run.polls.front().status);
        EXPECT_EQ(2, run.endStatus);
        long last = 0;
        for (const Poll& p : run.polls) {
            EXPECT_GE(p.position, last);
            last = p.position;
            // the position is the device's played count; Wine's sound server reports it up to
            // about 80 ms ahead of the wall clock, so the bound is looser than the program needs
            if (p.status == 1 && p.elapsed > 300) {
                EXPECT_LE(p.position, p.elapsed + 120) << "ahead of the clock";
            }
        }
        EXPECT_GE(last, 2950);
        EXPECT_GE(run.polls.back().elapsed, 2900);  // it played in real time, not faster

        // left channel heard vs. our own decoding of the file
        std::vector<float> rec;
        for (size_t i = 0; i < heard.size(); i += 2) rec.push_back(heard[i] / 32768.0f);
        std::vector<double> c = WindowCorrelations(rec, ref);
        ASSERT_GT(c.size(), 20u);
        size_t good = 0;
        for (double v : c) good += v > 0.98 ? 1 : 0;
        if (good * 4 >= c.size() * 3) return;
        if (attempt == 1)
            ADD_FAILURE() << "heard " << rec.size() << " frames; " << good << " of " << c.size() << " windows match "
                          << ::testing::PrintToString(c);
    }
}

TEST_F(TavplyWine, SetPositionMovesThePlayback) {
    DriverRun run = Play({"400", "2000"}, nullptr);
    ASSERT_EQ(0, run.openResult);
    ASSERT_TRUE(run.seeked);
    ASSERT_LT(run.pollsBeforeSeek, run.polls.size());
    const Poll& after = run.polls[run.pollsBeforeSeek];
    EXPECT_GE(after.position, 2000);
    EXPECT_LE(after.position, 2300);
    EXPECT_EQ(2, run.endStatus);
    EXPECT_LT(run.polls.back().elapsed, 2500);  // about 0.4 s + the last second
}

}  // namespace
