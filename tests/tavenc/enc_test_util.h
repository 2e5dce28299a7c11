// Helpers shared by the encoder tests and the encoder benchmark: WAVE files in and out,
// test signals, running the reference decoders, and SNR after delay alignment.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace enctest {

struct Pcm {
    int channels = 2, rate = 44100;
    std::vector<int16_t> samples;  // interleaved
    size_t Frames() const { return samples.size() / size_t(channels); }
};

inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
inline void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}

inline std::vector<uint8_t> WaveBytes(const Pcm& p) {
    std::vector<uint8_t> v;
    uint32_t data = uint32_t(p.samples.size() * 2);
    v.insert(v.end(), {'R', 'I', 'F', 'F'});
    Put32(v, 36 + data);
    v.insert(v.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(v, 16);
    Put16(v, 1);
    Put16(v, uint16_t(p.channels));
    Put32(v, uint32_t(p.rate));
    Put32(v, uint32_t(p.rate * p.channels * 2));
    Put16(v, uint16_t(p.channels * 2));
    Put16(v, 16);
    v.insert(v.end(), {'d', 'a', 't', 'a'});
    Put32(v, data);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(p.samples.data());
    v.insert(v.end(), b, b + data);
    return v;
}

inline bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::vector<uint8_t> v;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return v;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) v.insert(v.end(), buf, buf + n);
    std::fclose(f);
    return v;
}

// Reads a 16-bit PCM WAVE file (chunks walked, sizes checked); empty samples on failure.
inline Pcm ReadWave(const std::string& path) {
    Pcm p;
    std::vector<uint8_t> a = ReadFile(path);
    if (a.size() < 12 || std::memcmp(a.data(), "RIFF", 4) || std::memcmp(a.data() + 8, "WAVE", 4)) return p;
    size_t pos = 12;
    while (pos + 8 <= a.size()) {
        uint32_t size = uint32_t(a[pos + 4] | a[pos + 5] << 8 | a[pos + 6] << 16 | uint32_t(a[pos + 7]) << 24);
        size_t body = pos + 8;
        if (size > a.size() - body) size = uint32_t(a.size() - body);
        if (!std::memcmp(&a[pos], "fmt ", 4) && size >= 16) {
            p.channels = a[body + 2] | a[body + 3] << 8;
            p.rate = int(a[body + 4] | a[body + 5] << 8 | a[body + 6] << 16 | uint32_t(a[body + 7]) << 24);
        } else if (!std::memcmp(&a[pos], "data", 4)) {
            p.samples.resize(size / 2);
            std::memcpy(p.samples.data(), &a[body], size / 2 * 2);
        }
        pos = body + size + (size & 1);
    }
    return p;
}

// A band-limited, music-like test signal: a few harmonic notes with decaying envelopes that
// change every quarter second, a soft noise bed, and different mixes per channel. `bright`
// doubles the partials (up to about 10 kHz) and opens the noise bed.
inline Pcm MusicLike(int rate, int channels, double seconds, unsigned seed = 1, bool bright = false) {
    Pcm p;
    p.rate = rate;
    p.channels = channels;
    size_t n = size_t(rate * seconds);
    p.samples.resize(n * size_t(channels));
    const double pi = 3.14159265358979323846;
    static const double NOTES[8] = {220.0, 246.9, 261.6, 293.7, 329.6, 349.2, 392.0, 440.0};
    unsigned state = seed * 2654435761u + 1u;
    double lp[2] = {0, 0};
    size_t noteLen = size_t(rate / 4);
    for (size_t i = 0; i < n; ++i) {
        size_t note = i / noteLen;
        double t = double(i % noteLen) / rate;
        double env = std::exp(-3.0 * t);
        double f1 = NOTES[(note * 3) % 8], f2 = NOTES[(note * 5 + 2) % 8] * 1.5;
        for (int c = 0; c < channels; ++c) {
            state = state * 1664525u + 1013904223u;
            double noise = (double(state >> 8) / 16777216.0 - 0.5);
            lp[c] += (bright ? 0.4 : 0.1) * (noise - lp[c]);
            double v = 0.0;
            for (int h = 1; h <= (bright ? 12 : 6); ++h) {
                double a = 1.0 / h;
                v += a * std::sin(2 * pi * f1 * h * double(i) / rate) * (c == 0 ? 0.8 : 0.5);
                v += a * 0.6 * std::sin(2 * pi * f2 * h * double(i) / rate + c) * (c == 0 ? 0.4 : 0.8);
            }
            v = 0.18 * env * v + 0.05 * lp[c];
            long s = std::lround(v * 32767.0);
            p.samples[i * size_t(channels) + size_t(c)] = int16_t(s > 32767 ? 32767 : (s < -32768 ? -32768 : s));
        }
    }
    return p;
}

// Bursts of noise four times a second over a quiet tone: attacks that need short blocks.
inline Pcm NoiseBursts(int rate, double seconds) {
    Pcm p;
    p.rate = rate;
    size_t n = size_t(rate * seconds);
    p.samples.resize(n * 2);
    unsigned state = 5;
    for (size_t i = 0; i < n; ++i) {
        size_t phase = i % size_t(rate / 4);
        double env = phase < size_t(rate / 11) ? std::exp(-double(phase) / 300.0) : 0.0;
        state = state * 1664525u + 1013904223u;
        double v = (double(state >> 8) / 16777216.0 - 0.5) * env * 0.8 + 0.02 * std::sin(double(i) * 0.05);
        p.samples[i * 2] = p.samples[i * 2 + 1] = int16_t(std::lround(v * 32767.0));
    }
    return p;
}

struct Compare {
    int delay = -1;       // decoded sample index of the first input sample
    double snrDb = -999;  // over the aligned part
};

// Finds the delay (0..maxDelay) that best aligns decoded with input and the SNR there.
inline Compare AlignedSnr(const Pcm& in, const Pcm& out, int maxDelay) {
    Compare r;
    const int ch = in.channels;
    if (out.channels != ch || in.Frames() < 4096) return r;
    size_t len = in.Frames();
    double bestCorr = -1e300;
    for (int d = 0; d <= maxDelay; ++d) {
        if (out.Frames() < size_t(d) + len) break;
        double c = 0.0;
        for (size_t i = 2048; i < len; i += 7) c += double(in.samples[i * ch]) * out.samples[(i + size_t(d)) * ch];
        if (c > bestCorr) {
            bestCorr = c;
            r.delay = d;
        }
    }
    if (r.delay < 0) return r;
    double sig = 0.0, err = 0.0;
    for (size_t i = 0; i < len * size_t(ch); ++i) {
        double a = in.samples[i], b = out.samples[i + size_t(r.delay) * size_t(ch)];
        sig += a * a;
        err += (a - b) * (a - b);
    }
    r.snrDb = err > 0.0 ? 10.0 * std::log10(sig / err) : 200.0;
    return r;
}

// Runs a shell command, returns its exit status and its stderr text (for warnings).
inline int RunCommand(const std::string& cmd, std::string* errText) {
    std::string full = cmd + " 2>/tmp/enctest_stderr_" + std::to_string(::getpid());
    int rc = std::system(full.c_str());
    if (errText) {
        std::vector<uint8_t> e = ReadFile("/tmp/enctest_stderr_" + std::to_string(::getpid()));
        errText->assign(e.begin(), e.end());
    }
    std::remove(("/tmp/enctest_stderr_" + std::to_string(::getpid())).c_str());
    return rc;
}

}  // namespace enctest
