// Shared by the recorder's tests: a scratch folder, reading a WAVE file back, and the fake
// capture world (two wave-in devices, the named one second, as the platform lists them).
#pragma once
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

inline std::string ScratchFolder(const char* tag) {
    std::string t = std::string("/tmp/qd_record_") + tag + "_XXXXXX";
    char* made = mkdtemp(&t[0]);
    return made ? std::string(made) : std::string();
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline uint32_t Le32At(const std::string& b, size_t at) {
    return (uint32_t)(uint8_t)b[at] | (uint32_t)(uint8_t)b[at + 1] << 8 | (uint32_t)(uint8_t)b[at + 2] << 16 |
           (uint32_t)(uint8_t)b[at + 3] << 24;
}
inline uint16_t Le16At(const std::string& b, size_t at) { return (uint16_t)((uint8_t)b[at] | (uint8_t)b[at + 1] << 8); }
inline int16_t SampleAt(const std::string& b, size_t at) { return (int16_t)Le16At(b, at); }

// A recorded WAVE file as a player sees it: its header fields and the audio the data chunk
// holds. ok = 0 when the header does not describe the file (sizes beyond its end, wrong ids).
struct WaveView {
    int ok = 0;
    uint32_t riffSize = 0, fmtSize = 0, rate = 0, dataSize = 0;
    uint16_t channels = 0, bits = 0;
    std::string audio;
    size_t fileSize = 0;
};

inline WaveView ViewWave(const std::string& path) {
    WaveView v;
    std::string b = ReadAll(path);
    v.fileSize = b.size();
    if (b.size() < 46 || b.compare(0, 4, "RIFF") || b.compare(8, 8, "WAVEfmt ")) return v;
    v.riffSize = Le32At(b, 4);
    v.fmtSize = Le32At(b, 16);
    v.channels = Le16At(b, 22);
    v.rate = Le32At(b, 24);
    v.bits = Le16At(b, 34);
    size_t dataAt = 20 + v.fmtSize;
    if (b.size() < dataAt + 8 || b.compare(dataAt, 4, "data")) return v;
    v.dataSize = Le32At(b, dataAt + 4);
    if (dataAt + 8 + (size_t)v.dataSize > b.size() || (size_t)v.riffSize + 8 > b.size()) return v;
    v.audio = b.substr(dataAt + 8, v.dataSize);
    v.ok = 1;
    return v;
}

// The fake device's counter signal: frame n holds n & 0x7FFF left and its negation right.
// Returns the number of frames from the start of audio that follow the pattern without a break.
inline size_t CounterFramesInOrder(const std::string& audio, uint32_t firstFrame = 0) {
    size_t frames = audio.size() / 4;
    for (size_t i = 0; i < frames; ++i) {
        int16_t want = (int16_t)((firstFrame + i) & 0x7FFF);
        if (SampleAt(audio, 4 * i) != want || SampleAt(audio, 4 * i + 2) != (int16_t)-want) return i;
    }
    return frames;
}

// A tool from setup.sh: missing fails the test under CI and skips it elsewhere.
inline bool HaveTool(const char* name) {
    std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}
