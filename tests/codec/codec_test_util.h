// Helpers for the codec and player tests: a scratch folder, shell tools, and whole-file
// decoding through the portable source.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "mpa_source.h"

namespace codectest {

inline bool HaveTool(const char* name) {
    std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

inline bool Shell(const std::string& cmd) { return std::system(("(" + cmd + ") >/dev/null 2>&1").c_str()) == 0; }

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::vector<float> ReadFloats(const std::string& path) {
    std::vector<uint8_t> b = ReadBytes(path);
    std::vector<float> out(b.size() / 4);
    if (!out.empty()) std::memcpy(out.data(), b.data(), out.size() * 4);
    return out;
}

// A folder under the build tree, removed by the destructor.
struct ScratchDir {
    std::string path;
    explicit ScratchDir(const std::string& name) {
        path = std::string(QD_BINARY_DIR) + "/test-scratch/" + name;
        Shell("rm -rf '" + path + "' && mkdir -p '" + path + "'");
    }
    ~ScratchDir() {
        if (!std::getenv("QD_KEEP_SCRATCH")) Shell("rm -rf '" + path + "'");
    }
    std::string operator/(const std::string& file) const { return path + "/" + file; }
};

// Decodes a whole file in memory; channelsOut gets the channel count. Empty when refused.
// baselineSynth: the synthesis's baseline path even where the processor offers the wide one.
inline std::vector<float> DecodeBytes(const std::vector<uint8_t>& bytes, int* channelsOut = nullptr,
                                      int* concealedOut = nullptr, bool baselineSynth = false) {
    std::vector<float> pcm;
    std::unique_ptr<MpaSource> src(new MpaSource());
    if (!MpaSourceOpen(src.get(), bytes.data(), bytes.size())) return pcm;
    if (baselineSynth) src->dec.wideSynth = 0;
    std::vector<float> buf(4096 * 2);
    size_t n;
    while ((n = MpaSourceRead(src.get(), buf.data(), 4096)) > 0)
        pcm.insert(pcm.end(), buf.begin(), buf.begin() + long(n) * src->channels);
    if (channelsOut) *channelsOut = src->channels;
    if (concealedOut) *concealedOut = src->concealed;
    return pcm;
}

// RMS of the difference over the common length, relative to full scale 1.0.
inline double RmsError(const std::vector<float>& a, const std::vector<float>& b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    if (n == 0) return 1.0;
    double s = 0;
    for (size_t i = 0; i < n; ++i) {
        double d = double(a[i]) - double(b[i]);
        s += d * d;
    }
    return std::sqrt(s / double(n));
}

// The full-accuracy limit for decoders: RMS error below 2^-15 / sqrt(12) of full scale.
inline double FullAccuracyLimit() { return std::pow(2.0, -15) / std::sqrt(12.0); }

}  // namespace codectest
