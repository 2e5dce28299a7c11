// The benchmarks' one WAVE writer: 16-bit PCM files in the canonical layout (RIFF, any extra
// chunks, "fmt ", "data"), for inputs the benchmarks make and for what they record. Header only
// and standard C++, so the Windows floor programs use it too.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

namespace bench {

inline void PutLe(std::string* s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s->push_back((char)(uint8_t)(v >> (8 * i)));
}

// The header up to and including the data chunk's size; `chunks` (whole chunks, each with its
// id and size) go between "WAVE" and "fmt ".
inline std::string WaveHeader(uint32_t rate, uint16_t channels, uint32_t dataBytes, const std::string& chunks = "") {
    std::string h = "RIFF";
    PutLe(&h, (uint32_t)(4 + chunks.size() + 24 + 8) + dataBytes, 4);
    h += "WAVE" + chunks + "fmt ";
    PutLe(&h, 16, 4), PutLe(&h, 1, 2), PutLe(&h, channels, 2), PutLe(&h, rate, 4);
    PutLe(&h, rate * channels * 2, 4), PutLe(&h, channels * 2u, 2), PutLe(&h, 16, 2);
    h += "data";
    PutLe(&h, dataBytes, 4);
    return h;
}

// A title chunk as the deck writes it ("DISP", type 1, the text and its terminator).
inline std::string TitleChunk(const std::string& title) {
    std::string c = "DISP";
    PutLe(&c, (uint32_t)(4 + title.size() + 1), 4);
    PutLe(&c, 1, 4);
    c += title;
    c.push_back('\0');
    if (c.size() % 2) c.push_back('\0');
    return c;
}

// `seconds` of 16-bit silence; 1 when the whole file was written.
inline int WriteSilentWave(const std::string& path, uint32_t rate, uint16_t channels, double seconds,
                           const std::string& chunks = "") {
    uint32_t data = (uint32_t)(seconds * rate) * channels * 2u;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::string h = WaveHeader(rate, channels, data, chunks);
    int ok = std::fwrite(h.data(), 1, h.size(), f) == h.size();
    std::string block(1 << 16, '\0');
    for (uint32_t done = 0; ok && done < data; done += (uint32_t)block.size())
        ok = std::fwrite(block.data(), 1, std::min<size_t>(block.size(), data - done), f) ==
             std::min<size_t>(block.size(), data - done);
    return std::fclose(f) == 0 && ok;
}

// A WAVE file written as it goes: the header first with a zero length, the sizes filled in at
// the end. The recorders use it for what they capture.
struct WaveOut {
    FILE* f = nullptr;
    uint32_t rate = 0, bytes = 0;
    uint16_t channels = 0;
};

inline int WaveOpen(WaveOut* w, const std::string& path, uint32_t rate, uint16_t channels) {
    *w = WaveOut{};
    w->f = std::fopen(path.c_str(), "wb");
    if (!w->f) return 0;
    w->rate = rate, w->channels = channels;
    std::string h = WaveHeader(rate, channels, 0);
    return std::fwrite(h.data(), 1, h.size(), w->f) == h.size();
}

inline int WaveAppend(WaveOut* w, const void* pcm, uint32_t bytes) {
    if (!w->f || std::fwrite(pcm, 1, bytes, w->f) != bytes) return 0;
    w->bytes += bytes;
    return 1;
}

inline int WaveClose(WaveOut* w) {
    if (!w->f) return 0;
    std::string h = WaveHeader(w->rate, w->channels, w->bytes);
    int ok = std::fseek(w->f, 0, SEEK_SET) == 0 && std::fwrite(h.data(), 1, h.size(), w->f) == h.size();
    ok = std::fclose(w->f) == 0 && ok;
    w->f = nullptr;
    return ok;
}

}  // namespace bench
