// Quality benchmark (a program run by hand, not a test): our encoders and decoder side by side
// with lame (default and -q 7), twolame, ffmpeg's layer II encoder and mpg123, in one run on
// the same material from quality_signals.h. Every stream is decoded by mpg123 and aligned with
// its input before it is measured.
//   bench_quality [seconds of music] [damaged streams]     (defaults 20 and 300)
// Figures: SNR after alignment, bandwidth (highest frequency the output keeps within 10 dB of
// the input), pre-echo (error energy in the 5 ms before each onset over the signal energy in
// the 5 ms after it; mean and worst), short granules, encoding speed, and the damaged-stream
// sweep (streams whose output rises more than 1 dB above the input's peak).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <complex>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "mpa_header.h"
#include "mpa_source.h"
#include "mpa_stream.h"
#include "quality_signals.h"

using namespace enctest;
using namespace quality;

namespace {

const double PRE_ECHO_SECONDS = 0.005;
const double BANDWIDTH_DROP = 0.1;  // -10 dB
const int FFT_SIZE = 4096;
const double LOUD_RATIO = 1.122;  // +1 dB over the input's peak

std::string g_tmp;

std::string Tmp(const std::string& name) { return g_tmp + "_" + name; }

struct Encoder {
    const char* name;
    std::string cmd;  // %IN% and %OUT% are replaced
    int layer;
};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    size_t at;
    while ((at = s.find(from)) != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

// Best of two wall-clock runs; -1 when the command failed.
double TimeCommand(const std::string& cmd) {
    double best = 1e30;
    for (int run = 0; run < 2; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        if (RunCommand(cmd, nullptr) != 0) return -1.0;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

// Decoded samples aligned with the input: out[i] pairs with in[i]. The lag (0..3000) is the one
// whose correlation over the left channel is largest; an encoder that does not flush its delay
// ends early, and the missing tail then counts as error.
std::vector<int16_t> Aligned(const Pcm& in, const Pcm& out) {
    const size_t ch = size_t(in.channels);
    std::vector<int16_t> a(in.samples.size(), 0);
    if (out.channels != in.channels) return a;
    int best = 0;
    double bestCorr = -1e300;
    for (int d = 0; d <= 3000; ++d) {
        const size_t end = std::min(in.Frames(), out.Frames() > size_t(d) ? out.Frames() - size_t(d) : 0);
        double c = 0.0;
        for (size_t i = 0; i < end; i += 5) c += double(in.samples[i * ch]) * out.samples[(i + size_t(d)) * ch];
        if (c > bestCorr) {
            bestCorr = c;
            best = d;
        }
    }
    const size_t from = size_t(best) * ch;
    for (size_t i = 0; i < a.size() && from + i < out.samples.size(); ++i) a[i] = out.samples[from + i];
    return a;
}

double Snr(const Pcm& in, const std::vector<int16_t>& out) {
    double s = 0, e = 0;
    for (size_t i = 0; i < in.samples.size(); ++i) {
        double a = in.samples[i], d = a - out[i];
        s += a * a;
        e += d * d;
    }
    return 10.0 * std::log10(s / (e + 1e-9));
}

void Fft(std::vector<std::complex<double>>& x) {
    const size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        std::complex<double> w = std::polar(1.0, -2 * 3.14159265358979323846 / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1.0;
            for (size_t k = 0; k < len / 2; ++k, wk *= w) {
                std::complex<double> a = x[i + k], b = x[i + k + len / 2] * wk;
                x[i + k] = a + b;
                x[i + k + len / 2] = a - b;
            }
        }
    }
}

// Average power spectrum of the left channel, Hann-windowed blocks.
std::vector<double> Spectrum(const std::vector<int16_t>& s, int channels) {
    std::vector<double> p(FFT_SIZE / 2, 0.0);
    const size_t frames = s.size() / size_t(channels);
    std::vector<std::complex<double>> x(FFT_SIZE);
    for (size_t at = 0; at + FFT_SIZE <= frames; at += FFT_SIZE) {
        for (int i = 0; i < FFT_SIZE; ++i) {
            double w = 0.5 - 0.5 * std::cos(2 * 3.14159265358979323846 * (i + 0.5) / FFT_SIZE);
            x[size_t(i)] = w * s[(at + size_t(i)) * size_t(channels)];
        }
        Fft(x);
        for (int k = 0; k < FFT_SIZE / 2; ++k) p[size_t(k)] += std::norm(x[size_t(k)]);
    }
    return p;
}

// Highest frequency (Hz) whose output power, smoothed over about 100 Hz, is within 10 dB of
// the input's.
double Bandwidth(const Pcm& in, const std::vector<int16_t>& out) {
    std::vector<double> a = Spectrum(in.samples, in.channels), b = Spectrum(out, in.channels);
    const int smooth = 5;
    for (int k = FFT_SIZE / 2 - smooth - 1; k > smooth; --k) {
        double ea = 0, eb = 0;
        for (int j = -smooth; j <= smooth; ++j) {
            ea += a[size_t(k + j)];
            eb += b[size_t(k + j)];
        }
        if (ea > 0 && eb >= BANDWIDTH_DROP * ea) return double(k) * in.rate / FFT_SIZE;
    }
    return 0.0;
}

// Pre-echo in dB: mean and worst over the onsets.
void PreEcho(const Signal& sig, const std::vector<int16_t>& out, double* meanOut, double* worstOut) {
    const size_t w = size_t(PRE_ECHO_SECONDS * sig.pcm.rate), ch = size_t(sig.pcm.channels);
    double sum = 0, worst = -1e9;
    int count = 0;
    for (size_t t : sig.onsets) {
        if (t < w || (t + w) * ch > out.size()) continue;
        double err = 0, after = 0;
        for (size_t i = (t - w) * ch; i < t * ch; ++i) {
            double d = double(out[i]) - sig.pcm.samples[i];
            err += d * d;
        }
        for (size_t i = t * ch; i < (t + w) * ch; ++i) after += double(sig.pcm.samples[i]) * sig.pcm.samples[i];
        double db = 10.0 * std::log10((err + 1e-3) / (after + 1e-3));
        sum += db;
        worst = std::max(worst, db);
        ++count;
    }
    *meanOut = count ? sum / count : 0.0;
    *worstOut = worst;
}

// Short granules (granule x channel) of an MPEG-1 layer III stream, from its side information.
int ShortGranules(const std::vector<uint8_t>& bytes) {
    MpaReader r = MpaMemoryReader(bytes.data(), bytes.size());
    MpaStreamInfo info;
    if (!MpaScanStream(&r, &info, 0) || info.first.layer != 3 || info.first.versionIndex != 0) return -1;
    int count = 0;
    MpaHeader h;
    for (size_t pos = info.audioStart; pos + 40 <= bytes.size(); pos += size_t(h.frameBytes)) {
        if (!MpaParseHeader(MpaHeaderWord(&bytes[pos]), &h)) break;
        const uint8_t* p = &bytes[pos + 4 + (h.crc ? 2 : 0)];
        size_t bit = 9 + (h.channels == 1 ? 5 : 3) + 4 * size_t(h.channels);
        auto read = [&](int n) {
            uint32_t v = 0;
            for (int i = 0; i < n; ++i, ++bit) v = (v << 1) | ((p[bit >> 3] >> (7 - (bit & 7))) & 1u);
            return v;
        };
        for (int g = 0; g < 2 * h.channels; ++g) {
            read(12 + 9 + 8 + 4);
            if (read(1)) {
                count += read(2) == 2;
                read(1 + 10 + 9);
            } else {
                read(22);
            }
            read(3);
        }
    }
    return count;
}

Pcm DecodeMpg123(const std::string& path) {
    const std::string wav = path + ".wav";
    RunCommand("mpg123 -q -w '" + wav + "' '" + path + "'", nullptr);
    Pcm p = ReadWave(wav);
    std::remove(wav.c_str());
    return p;
}

double PeakOf(const Pcm& p) {
    int m = 0;
    for (int16_t s : p.samples) m = std::max(m, std::abs(int(s)));
    return m / 32768.0;
}

// Our decoder's output peak, clamped to 16 bits as a player would.
double OurPeak(const std::vector<uint8_t>& bytes) {
    std::unique_ptr<MpaSource> src(new MpaSource());
    if (!MpaSourceOpen(src.get(), bytes.data(), bytes.size())) return 0.0;
    std::vector<float> buf(8192);
    double m = 0;
    size_t n;
    while ((n = MpaSourceRead(src.get(), buf.data(), 4096)) > 0)
        for (size_t i = 0; i < n * size_t(src->channels); ++i) m = std::max(m, double(std::fabs(buf[i])));
    return std::min(m, 1.0);
}

int EncodeTable(double seconds) {
    const std::string taven = std::string(QD_BINARY_DIR) + "/bin/taven";
    const Encoder encoders[] = {
        {"taven III 128",    taven + " -l 3 -b 128 %IN% %OUT%",                     3},
        {"lame 128 default", "lame --quiet -b 128 %IN% %OUT%",                      3},
        {"lame 128 -q 7",    "lame --quiet -q 7 -b 128 %IN% %OUT%",                 3},
        {"taven II 192",     taven + " -l 2 -b 192 %IN% %OUT%",                     2},
        {"twolame 192",      "twolame --quiet -b 192 %IN% %OUT%",                   2},
        {"ffmpeg mp2 192",   "ffmpeg -v error -y -i %IN% -c:a mp2 -b:a 192k %OUT%", 2},
    };
    const Signal signals[3] = {MusicMix(44100, seconds), Castanets(44100, seconds / 2), Clicks(44100, seconds / 4)};
    const char* names[3] = {"music", "castanets", "clicks"};
    std::printf("%-18s %10s %8s %9s %13s %13s %7s\n", "", "", "music", "music", "castanets", "clicks", "castanets");
    std::printf("%-18s %10s %8s %9s %13s %13s %7s\n", "encoder", "x realtime", "SNR dB", "band kHz", "pre-echo m/w",
                "pre-echo m/w", "short");
    for (const Encoder& e : encoders) {
        double speed = 0, snr = 0, band = 0,
               pre[2][2] = {
                   {0, 0},
                   {0, 0}
        };
        int shorts = 0;
        for (int s = 0; s < 3; ++s) {
            const std::string in = Tmp(std::string(names[s]) + ".wav"), out = Tmp("out.mpa");
            WriteFile(in, WaveBytes(signals[s].pcm));
            const std::string cmd = Replace(Replace(e.cmd, "%IN%", in), "%OUT%", out);
            const double t = s == 0 ? TimeCommand(cmd) : (RunCommand(cmd, nullptr) == 0 ? 1.0 : -1.0);
            if (t < 0) {
                std::fprintf(stderr, "failed: %s\n", cmd.c_str());
                return 1;
            }
            const std::vector<int16_t> dec = Aligned(signals[s].pcm, DecodeMpg123(out));
            if (s == 0) {
                speed = seconds / t;
                snr = Snr(signals[s].pcm, dec);
                band = Bandwidth(signals[s].pcm, dec) / 1000.0;
            } else {
                PreEcho(signals[s], dec, &pre[s - 1][0], &pre[s - 1][1]);
                if (s == 1 && e.layer == 3) shorts = ShortGranules(ReadFile(out));
            }
            std::remove(in.c_str());
            std::remove(out.c_str());
        }
        std::printf("%-18s %10.1f %8.2f %9.1f %6.1f %6.1f %6.1f %6.1f %9d\n", e.name, speed, snr, band, pre[0][0],
                    pre[0][1], pre[1][0], pre[1][1], shorts);
    }
    return 0;
}

// Random damage to copies of one stream: our decoder and mpg123 on every copy.
struct SweepResult {
    int loudOurs = 0, loudMpg123 = 0;
    double worstOurs = 0, worstMpg123 = 0;
};

SweepResult Sweep(const std::vector<uint8_t>& clean, double inputPeak, int count, bool sideInfoOnly, unsigned seed) {
    SweepResult r;
    std::mt19937 rng(seed);
    MpaReader reader = MpaMemoryReader(clean.data(), clean.size());
    MpaStreamInfo info;
    MpaScanStream(&reader, &info, 0);
    std::vector<size_t> frames;
    MpaHeader h;
    for (size_t pos = info.audioStart; pos + 4 <= clean.size(); pos += size_t(h.frameBytes)) {
        if (!MpaParseHeader(MpaHeaderWord(&clean[pos]), &h)) break;
        frames.push_back(pos);
    }
    const std::string path = Tmp("damaged.mp3");
    for (int n = 0; n < count; ++n) {
        std::vector<uint8_t> bad = clean;
        const int hits = 1 + int(rng() % 8);
        for (int k = 0; k < hits; ++k) {
            if (sideInfoOnly) {
                // a byte of the side information (after header and CRC) of a frame past the first few
                size_t f = frames[4 + rng() % (frames.size() - 4)];
                bad[f + 6 + rng() % 32] ^= uint8_t(1 + rng() % 255);
            } else {
                size_t at = info.audioStart + 2048 + rng() % (clean.size() - info.audioStart - 2048);
                bad[at] = uint8_t(rng());
            }
        }
        const double ours = OurPeak(bad);
        WriteFile(path, bad);
        const double theirs = PeakOf(DecodeMpg123(path));
        r.loudOurs += ours > inputPeak * LOUD_RATIO;
        r.loudMpg123 += theirs > inputPeak * LOUD_RATIO;
        r.worstOurs = std::max(r.worstOurs, ours);
        r.worstMpg123 = std::max(r.worstMpg123, theirs);
    }
    std::remove(path.c_str());
    return r;
}

int DamageTable(int count) {
    const Signal music = MusicMix(44100, 10.0);
    const std::string in = Tmp("sweep.wav"), plain = Tmp("plain.mp3"), crc = Tmp("crc.mp3");
    WriteFile(in, WaveBytes(music.pcm));
    if (RunCommand("lame --quiet -b 128 " + in + " " + plain, nullptr) ||
        RunCommand("lame --quiet -p -b 128 " + in + " " + crc, nullptr))
        return 1;
    const double peak = PeakOf(music.pcm);
    const SweepResult a = Sweep(ReadFile(plain), peak, count, false, 1);
    const SweepResult b = Sweep(ReadFile(crc), peak, count / 5, true, 2);
    std::printf("\ndamaged streams (input peak %.2f; loud = above peak + 1 dB; worst peak, 16-bit clamp)\n", peak);
    std::printf("%-36s %12s %12s\n", "", "ours", "mpg123");
    std::printf("%-36s %5d of %-4d %5d of %-4d\n", "random bytes, no CRC: loud", a.loudOurs, count, a.loudMpg123,
                count);
    std::printf("%-36s %12.2f %12.2f\n", "  worst peak", a.worstOurs, a.worstMpg123);
    std::printf("%-36s %5d of %-4d %5d of %-4d\n", "side information, CRC: loud", b.loudOurs, count / 5, b.loudMpg123,
                count / 5);
    std::printf("%-36s %12.2f %12.2f\n", "  worst peak", b.worstOurs, b.worstMpg123);
    for (const std::string& p : {in, plain, crc}) std::remove(p.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    const int damaged = argc > 2 ? std::atoi(argv[2]) : 300;
    g_tmp = "/tmp/bench_quality_" + std::to_string(::getpid());
    std::printf("quality at 44.1 kHz stereo; music %.0f s, castanets %.0f s, clicks %.0f s\n", seconds, seconds / 2,
                seconds / 4);
    if (EncodeTable(seconds)) return 1;
    if (damaged > 0 && DamageTable(damaged)) return 1;
    std::printf(
        "\ngoals: III 128 castanet pre-echo within 3 dB of lame default, SNR within 1 dB, speed >= lame -q 7;\n"
        "       II 192 bandwidth within 1 kHz and SNR within 0.5 dB of twolame, speed >= twolame;\n"
        "       no loud CRC-protected stream; unprotected: no more loud than mpg123 (a frame that\n"
        "       decodes validly plays as it is, however loud).\n"
        "sanity checks: clicks, ffmpeg mp2, short-granule counts, worst peaks.\n");
    return 0;
}
