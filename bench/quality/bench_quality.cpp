// Quality benchmark (a program run by hand, not a test): our encoders and decoder side by side
// with lame (default and -q 7), twolame, ffmpeg's layer II encoder and mpg123, in one run on
// the same material from quality_signals.h. Every stream is decoded by mpg123 and aligned with
// its input before it is measured.
// Figures: SNR after alignment (on music, and in a table of its own on every signal), bandwidth (highest frequency the output keeps within 10 dB of
// the input) on music and on bright material, pre-echo (error energy in the 5 ms before each
// onset over the signal energy in the 5 ms after it, below 15 kHz; mean and worst), short
// granules, encoding speed on every signal against lame -q 7 and twolame, decoding speed on
// every layer against mpg123, and the damaged-stream sweep (streams whose output rises more
// than 1 dB above the input's peak).
//   bench_quality [seconds of music] [damaged streams] [timing runs]   (defaults 20, 300, 3)
// BENCH_BASELINE=<bin directory of another build> adds its taven and tavdec beside ours.
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <complex>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "mpa_header.h"
#include "mpa_source.h"
#include "mpa_stream.h"
#include "quality_signals.h"
#include "support/bench_timer.h"

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
    std::string name;
    std::string cmd;  // %IN% and %OUT% are replaced
    int layer;
    int reference;  // row whose time this one is measured against (-1: none)
};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    size_t at;
    while ((at = s.find(from)) != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

// CPU time (user + system of the command and its children) and wall-clock time of one run;
// cpu < 0 when the command failed.
struct Timing {
    double cpu = 1e30, wall = 1e30;
};

Timing RunTimed(const std::string& cmd) {
    Timing t;
    const double cpu0 = bench::ChildCpuSeconds(), wall0 = bench::WallSeconds();
    const int rc = RunCommand(cmd, nullptr);
    t.wall = bench::WallSeconds() - wall0;
    t.cpu = bench::ChildCpuSeconds() - cpu0;
    if (rc != 0) t.cpu = -1.0;
    return t;
}

// Runs every command `reps` times in turn (ours and the anchors alternate, so a busy moment
// on the machine hits them alike) and keeps each one's best CPU and wall-clock time.
int TimeSideBySide(const std::vector<std::string>& cmds, int reps, std::vector<Timing>* best) {
    best->assign(cmds.size(), Timing());
    for (int r = 0; r < reps; ++r)
        for (size_t i = 0; i < cmds.size(); ++i) {
            const Timing t = RunTimed(cmds[i]);
            if (t.cpu < 0) {
                std::fprintf(stderr, "failed: %s\n", cmds[i].c_str());
                return 1;
            }
            (*best)[i].cpu = std::min((*best)[i].cpu, t.cpu);
            (*best)[i].wall = std::min((*best)[i].wall, t.wall);
        }
    return 0;
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

// Linear-phase lowpass (windowed sinc, Blackman) at PRE_ECHO_BAND_HZ: pre-echo is measured on
// input and output both filtered by it, so that what each encoder's own lowpass takes off a
// broadband attack (ringing on both sides of a click) does not count as pre-echo; every
// encoder measured keeps the band below it, except ffmpeg's layer II at low rates.
const double PRE_ECHO_BAND_HZ = 15000.0;
const int PRE_ECHO_TAPS = 127;

std::vector<double> BandFilter(int rate) {
    const double pi = 3.14159265358979323846, fc = PRE_ECHO_BAND_HZ / rate;
    std::vector<double> h(PRE_ECHO_TAPS);
    double sum = 0;
    for (int i = 0; i < PRE_ECHO_TAPS; ++i) {
        const int m = i - PRE_ECHO_TAPS / 2;
        const double sinc = m == 0 ? 2 * fc : std::sin(2 * pi * fc * m) / (pi * m);
        const double w = 0.42 - 0.5 * std::cos(2 * pi * i / (PRE_ECHO_TAPS - 1)) +
                         0.08 * std::cos(4 * pi * i / (PRE_ECHO_TAPS - 1));
        h[size_t(i)] = sinc * w;
        sum += h[size_t(i)];
    }
    for (double& v : h) v /= sum;
    return h;
}

// Sample frame i of channel c of interleaved s, through the filter h.
double Filtered(const std::vector<double>& h, const int16_t* s, size_t frames, size_t ch, size_t i, size_t c) {
    double y = 0;
    for (size_t k = 0; k < h.size(); ++k) {
        const long j = long(i) + long(k) - long(h.size() / 2);
        if (j >= 0 && size_t(j) < frames) y += h[k] * s[size_t(j) * ch + c];
    }
    return y;
}

// Pre-echo in dB: mean and worst over the onsets.
void PreEcho(const Signal& sig, const std::vector<int16_t>& out, double* meanOut, double* worstOut) {
    const size_t w = size_t(PRE_ECHO_SECONDS * sig.pcm.rate), ch = size_t(sig.pcm.channels);
    const size_t frames = sig.pcm.Frames();
    const std::vector<double> h = BandFilter(sig.pcm.rate);
    double sum = 0, worst = -1e9;
    int count = 0;
    for (size_t t : sig.onsets) {
        if (t < w || (t + w) * ch > out.size()) continue;
        double err = 0, after = 0;
        for (size_t i = t - w; i < t + w; ++i)
            for (size_t c = 0; c < ch; ++c) {
                const double a = Filtered(h, sig.pcm.samples.data(), frames, ch, i, c);
                if (i < t) {
                    const double d = Filtered(h, out.data(), frames, ch, i, c) - a;
                    err += d * d;
                } else {
                    after += a * a;
                }
            }
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

const int SIGNALS = 4;  // music, bright, castanets, clicks
const char* const SIGNAL_NAMES[SIGNALS] = {"music", "bright", "castanets", "clicks"};

std::vector<Encoder> Encoders() {
    const std::string taven = std::string(QD_BINARY_DIR) + "/bin/taven";
    // BENCH_BASELINE names the bin directory of another build (an older one) whose taven and
    // tavdec are measured beside this one's.
    const char* baseline = std::getenv("BENCH_BASELINE");
    std::vector<Encoder> e;
    for (int br : {128, 160, 192, 256, 320}) {
        const std::string b = std::to_string(br);
        const int ref = int(e.size()) + (baseline ? 3 : 2);
        e.push_back({"taven III " + b, taven + " -l 3 -b " + b + " %IN% %OUT%", 3, ref});
        if (baseline) e.push_back({"baseline III " + b, std::string(baseline) + "/taven -l 3 -b " + b + " %IN% %OUT%", 3, ref});
        e.push_back({"lame " + b + " default", "lame --quiet -b " + b + " %IN% %OUT%", 3, -1});
        e.push_back({"lame " + b + " -q 7", "lame --quiet -q 7 -b " + b + " %IN% %OUT%", 3, -1});
        if (br == 128) e.push_back({"lame " + b + " -q 9", "lame --quiet -q 9 -b " + b + " %IN% %OUT%", 3, -1});
    }
    for (int br : {128, 192}) {
        const std::string b = std::to_string(br);
        const int ref = int(e.size()) + (baseline ? 2 : 1);
        e.push_back({"taven II " + b, taven + " -l 2 -b " + b + " %IN% %OUT%", 2, ref});
        if (baseline) e.push_back({"baseline II " + b, std::string(baseline) + "/taven -l 2 -b " + b + " %IN% %OUT%", 2, ref});
        e.push_back({"twolame " + b, "twolame --quiet -b " + b + " %IN% %OUT%", 2, -1});
        e.push_back({"ffmpeg mp2 " + b, "ffmpeg -v error -y -i %IN% -c:a mp2 -b:a " + b + "k %OUT%", 2, -1});
    }
    // BENCH_ONLY=<text>[,<text>...] keeps the rows whose name holds one of the texts (a row
    // whose anchor goes loses its ratio).
    const char* only = std::getenv("BENCH_ONLY");
    if (only) {
        std::vector<std::string> texts;
        for (std::string rest = only;;) {
            const size_t comma = rest.find(',');
            texts.push_back(rest.substr(0, comma));
            if (comma == std::string::npos) break;
            rest.erase(0, comma + 1);
        }
        auto wanted = [&](const std::string& name) {
            for (const std::string& t : texts)
                if (name.find(t) != std::string::npos) return true;
            return false;
        };
        std::vector<Encoder> kept;
        std::vector<int> at(e.size(), -1);
        for (size_t k = 0; k < e.size(); ++k)
            if (wanted(e[k].name)) {
                at[k] = int(kept.size());
                kept.push_back(e[k]);
            }
        for (Encoder& x : kept) x.reference = x.reference >= 0 ? at[size_t(x.reference)] : -1;
        e = kept;
    }
    return e;
}

struct Quality {
    double snr = 0, band = 0, bandBright = 0, pre[2][2] = {{0, 0}, {0, 0}};
    double snrOf[SIGNALS] = {};  // SNR on every signal
    int shorts = 0;
    Timing time[SIGNALS];
};

int EncodeTable(double seconds, int reps) {
    const std::vector<Encoder> encoders = Encoders();
    Signal signals[SIGNALS] = {MusicMix(44100, seconds), {}, Castanets(44100, seconds / 2), Clicks(44100, seconds / 4)};
    signals[1].pcm = MusicLike(44100, 2, seconds, 11, true);
    std::vector<Quality> q(encoders.size());
    for (int s = 0; s < SIGNALS; ++s) {
        const std::string in = Tmp(std::string(SIGNAL_NAMES[s]) + ".wav");
        WriteFile(in, WaveBytes(signals[s].pcm));
        std::vector<std::string> cmds;
        for (size_t k = 0; k < encoders.size(); ++k)
            cmds.push_back(Replace(Replace(encoders[k].cmd, "%IN%", in), "%OUT%", Tmp(std::to_string(k) + ".mpa")));
        std::vector<Timing> t;
        if (TimeSideBySide(cmds, reps, &t)) return 1;
        for (size_t k = 0; k < encoders.size(); ++k) {
            const std::string out = Tmp(std::to_string(k) + ".mpa");
            const std::vector<int16_t> dec = Aligned(signals[s].pcm, DecodeMpg123(out));
            Quality& r = q[k];
            r.time[s] = t[k];
            r.snrOf[s] = Snr(signals[s].pcm, dec);
            if (s == 0) {
                r.snr = Snr(signals[s].pcm, dec);
                r.band = Bandwidth(signals[s].pcm, dec) / 1000.0;
            } else if (s == 1) {
                r.bandBright = Bandwidth(signals[s].pcm, dec) / 1000.0;
            } else {
                PreEcho(signals[s], dec, &r.pre[s - 2][0], &r.pre[s - 2][1]);
                if (s == 2 && encoders[k].layer == 3) r.shorts = ShortGranules(ReadFile(out));
            }
            std::remove(out.c_str());
        }
        std::remove(in.c_str());
    }
    std::printf("%-18s %8s %9s %9s %13s %13s %7s\n", "", "music", "music", "bright", "castanets", "clicks",
                "castanets");
    std::printf("%-18s %8s %9s %9s %13s %13s %7s\n", "encoder", "SNR dB", "band kHz", "band kHz", "pre-echo m/w",
                "pre-echo m/w", "short");
    for (size_t k = 0; k < encoders.size(); ++k) {
        const Quality& r = q[k];
        std::printf("%-18s %8.2f %9.1f %9.1f %6.1f %6.1f %6.1f %6.1f %9d\n", encoders[k].name.c_str(), r.snr, r.band,
                    r.bandBright, r.pre[0][0], r.pre[0][1], r.pre[1][0], r.pre[1][1],
                    encoders[k].layer == 3 ? r.shorts : 0);
    }
    std::printf("\nSNR dB on every signal\n%-18s %7s %7s %7s %7s\n", "encoder", "music", "bright", "castan", "clicks");
    for (size_t k = 0; k < encoders.size(); ++k) {
        std::printf("%-18s", encoders[k].name.c_str());
        for (int s = 0; s < SIGNALS; ++s) std::printf(" %7.2f", q[k].snrOf[s]);
        std::printf("\n");
    }
    std::printf("\nencoding speed, best of %d runs side by side: x realtime (CPU) per signal; for our rows the\n"
                "time over the anchor's (lame -q 7 at the same rate, twolame for layer II), CPU and wall clock\n",
                reps);
    std::printf("%-18s %7s %7s %7s %7s   %-27s %-27s\n", "encoder", "music", "bright", "castan", "clicks",
                "CPU ratio m/b/c/k", "wall ratio m/b/c/k");
    const double lengths[SIGNALS] = {seconds, seconds, seconds / 2, seconds / 4};
    for (size_t k = 0; k < encoders.size(); ++k) {
        const Quality& r = q[k];
        std::printf("%-18s", encoders[k].name.c_str());
        for (int s = 0; s < SIGNALS; ++s) std::printf(" %7.1f", lengths[s] / r.time[s].cpu);
        const int ref = encoders[k].reference;
        if (ref >= 0) {
            std::printf("  ");
            for (int s = 0; s < SIGNALS; ++s) std::printf(" %.2f", r.time[s].cpu / q[size_t(ref)].time[s].cpu);
            std::printf("  ");
            for (int s = 0; s < SIGNALS; ++s) std::printf(" %.2f", r.time[s].wall / q[size_t(ref)].time[s].wall);
        }
        std::printf("\n");
    }
    return 0;
}

// Decoding speed against mpg123 on every layer, both decoding only (tavdec -t, mpg123 -t).
int DecodeTable(double seconds, int reps) {
    const std::string taven = std::string(QD_BINARY_DIR) + "/bin/taven";
    const std::string tavdec = std::string(QD_BINARY_DIR) + "/bin/tavdec";
    const std::string in = Tmp("dec.wav");
    WriteFile(in, WaveBytes(MusicMix(44100, seconds).pcm));
    struct Stream {
        const char* name;
        std::string encode;
    } streams[] = {
        {"layer I 384 (taven)",  taven + " -l 1 -b 384 " + in + " %OUT%"        },
        {"layer II 192 (twolame)", "twolame --quiet -b 192 " + in + " %OUT%"  },
        {"layer III 128 (lame)",   "lame --quiet -b 128 " + in + " %OUT%"      },
        {"layer III 320 (lame)",   "lame --quiet -b 320 " + in + " %OUT%"      },
        {"layer III V2 (lame)",    "lame --quiet -V 2 " + in + " %OUT%"        },
    };
    std::printf("\ndecoding speed, %.0f s of music, decode only, best of %d runs side by side\n", seconds, reps);
    std::printf("%-24s %12s %12s %10s %10s\n", "stream", "tavdec xRT", "mpg123 xRT", "CPU ratio", "wall ratio");
    for (const Stream& st : streams) {
        const std::string out = Tmp("dec.mpa");
        if (RunCommand(Replace(st.encode, "%OUT%", out), nullptr)) return 1;
        std::vector<std::string> cmds = {tavdec + " -t " + out, "mpg123 -q -t " + out};
        const char* baseline = std::getenv("BENCH_BASELINE");
        if (baseline) cmds.push_back(std::string(baseline) + "/tavdec -t " + out);
        std::vector<Timing> t;
        if (TimeSideBySide(cmds, reps, &t)) return 1;
        std::printf("%-24s %12.0f %12.0f %10.2f %10.2f", st.name, seconds / t[0].cpu, seconds / t[1].cpu,
                    t[0].cpu / t[1].cpu, t[0].wall / t[1].wall);
        if (baseline) std::printf("   baseline %.2f %.2f", t[2].cpu / t[1].cpu, t[2].wall / t[1].wall);
        std::printf("\n");
        std::remove(out.c_str());
    }
    std::remove(in.c_str());
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
    const int reps = argc > 3 ? std::atoi(argv[3]) : 3;
    g_tmp = "/tmp/bench_quality_" + std::to_string(::getpid());
    std::printf("quality at 44.1 kHz stereo; music and bright %.0f s, castanets %.0f s, clicks %.0f s\n", seconds,
                seconds / 2, seconds / 4);
    if (EncodeTable(seconds, reps)) return 1;
    // BENCH_ONLY=decode runs the decoding table alone
    const char* only = std::getenv("BENCH_ONLY");
    if ((!only || !std::strcmp(only, "decode")) && DecodeTable(3 * seconds, 2 * reps + 1)) return 1;
    if (damaged > 0 && DamageTable(damaged)) return 1;
    std::printf("\nto reproduce: %s %g %d %d\n", argv[0], seconds, damaged, reps);
    std::printf("  every stream is decoded with: mpg123 -q -w out.wav in.mpa\n");
    for (const Encoder& e : Encoders()) std::printf("  %-18s %s\n", e.name.c_str(), e.cmd.c_str());
    std::printf(
        "\ngoals: III pre-echo (mean and worst) below lame default's at every rate, SNR within 0.5 dB;\n"
        "       II bandwidth and SNR at least twolame's, click pre-echo no worse;\n"
        "       encoding no slower than lame -q 7 (III) or twolame (II) on every signal;\n"
        "       decoding no slower than mpg123 on every layer;\n"
        "       no loud CRC-protected stream; unprotected: no more loud than mpg123 (a frame that\n"
        "       decodes validly plays as it is, however loud).\n"
        "sanity checks: clicks, ffmpeg mp2, short-granule counts, worst peaks.\n");
    return 0;
}
