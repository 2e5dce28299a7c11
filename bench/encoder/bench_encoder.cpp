// Encoder benchmark (not a test): our layer III against lame at 128 kbit/s and our layer II
// against twolame at 192 kbit/s, side by side in one run on the same band-limited music-like
// signal. Each encoder runs as a command-line program on the same WAVE file (best of three
// wall-clock times); every stream is decoded by mpg123 and compared with the input after the
// delay that fits best.
//   bench_encoder [seconds]   (default 60)
#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "tavenc/enc_test_util.h"
#include "support/bench_timer.h"

using namespace enctest;

namespace {

struct Row {
    const char* name;
    std::string cmd;  // %IN% and %OUT% are replaced
    std::string ext;
    double seconds = 0.0, snrDb = 0.0;
    int delay = 0;
};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    size_t at;
    while ((at = s.find(from)) != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

// Delay (0..3000) with the best SNR over every third sample. An encoder that does not flush
// its delay loses the input's tail: the comparison then stops where the decoded stream ends.
Compare BestSnr(const Pcm& in, const Pcm& out) {
    Compare best;
    const size_t ch = size_t(in.channels);
    for (int d = 0; d <= 3000; ++d) {
        size_t n = in.Frames();
        if (out.Frames() < n + size_t(d)) n = out.Frames() > size_t(d) ? out.Frames() - size_t(d) : 0;
        if (n + 4096 < in.Frames()) break;
        double s = 0, e = 0;
        for (size_t i = 0; i < n; i += 3)
            for (size_t c = 0; c < ch; ++c) {
                double a = in.samples[i * ch + c], b = out.samples[(i + size_t(d)) * ch + c];
                s += a * a;
                e += (a - b) * (a - b);
            }
        double snr = 10.0 * std::log10(s / (e + 1e-9));
        if (snr > best.snrDb) {
            best.snrDb = snr;
            best.delay = d;
        }
    }
    return best;
}

// Runs the four encoders on one signal and prints its table; returns 0 on success.
int BenchSignal(const char* label, const Pcm& in, double seconds, const std::string& base) {
    std::string wav = base + "_in.wav";
    if (!WriteFile(wav, WaveBytes(in))) return 1;
    std::string taven = std::string(QD_BINARY_DIR) + "/bin/taven";
    Row rows[] = {
        {"taven layer III 128", taven + " -l 3 -b 128 %IN% %OUT%",   "mp3"},
        {"lame 128 (default)",  "lame --quiet -b 128 %IN% %OUT%",    "mp3"},
        {"taven layer II 192",  taven + " -l 2 -b 192 %IN% %OUT%",   "mp2"},
        {"twolame 192",         "twolame --quiet -b 192 %IN% %OUT%", "mp2"},
    };
    for (Row& r : rows) {
        std::string out = base + "_" + std::to_string(&r - rows) + "." + r.ext;
        std::string cmd = Replace(Replace(r.cmd, "%IN%", wav), "%OUT%", out);
        r.seconds = 1e30;
        for (int run = 0; run < 3; ++run) {
            double t0 = bench::WallSeconds();
            if (RunCommand(cmd, nullptr) != 0) {
                std::fprintf(stderr, "failed: %s\n", cmd.c_str());
                return 1;
            }
            double t = bench::WallSeconds() - t0;
            if (t < r.seconds) r.seconds = t;
        }
        std::string dec = out + ".wav";
        RunCommand("mpg123 -q -w " + dec + " " + out, nullptr);
        Compare c = BestSnr(in, ReadWave(dec));
        r.snrDb = c.snrDb;
        r.delay = c.delay;
        std::remove(out.c_str());
        std::remove(dec.c_str());
    }
    std::remove(wav.c_str());
    std::printf("\n%s: %.0f s of 44.1 kHz stereo\n", label, seconds);
    std::printf("%-22s %10s %10s %8s\n", "encoder", "x realtime", "SNR dB", "delay");
    for (const Row& r : rows) std::printf("%-22s %10.1f %10.2f %8d\n", r.name, seconds / r.seconds, r.snrDb, r.delay);
    std::printf("layer III vs lame:    speed x%.2f, SNR %+.2f dB\n", rows[1].seconds / rows[0].seconds,
                rows[0].snrDb - rows[1].snrDb);
    std::printf("layer II vs twolame:  speed x%.2f, SNR %+.2f dB\n", rows[3].seconds / rows[2].seconds,
                rows[2].snrDb - rows[3].snrDb);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    std::string base = "/tmp/bench_encoder_" + std::to_string(::getpid());
    if (BenchSignal("soft notes (partials to 4 kHz)", MusicLike(44100, 2, seconds, 7), seconds, base)) return 1;
    if (BenchSignal("bright notes (partials to 10 kHz, open noise)", MusicLike(44100, 2, seconds, 11, true), seconds,
                    base))
        return 1;
    return 0;
}
