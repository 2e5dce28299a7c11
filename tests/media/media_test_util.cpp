#include "media_test_util.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

ScratchDir::ScratchDir() {
    char tmpl[] = "/tmp/qdmedia-XXXXXX";
    char* made = mkdtemp(tmpl);
    path = made ? made : "/tmp";
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    if (path != "/tmp") std::filesystem::remove_all(path, ec);
}

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string Capture(const std::string& command) {
    std::string out;
    FILE* p = popen((command + " 2>/dev/null").c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void AppendBytes(Bytes* to, const void* data, size_t n) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    to->insert(to->end(), p, p + n);
}
void AppendText(Bytes* to, const char* text) {
    while (*text) to->push_back(uint8_t(*text++));
}
void AppendLe32(Bytes* to, uint32_t v) {
    for (int i = 0; i < 4; i++) to->push_back(uint8_t(v >> (8 * i)));
}
uint32_t Le32At(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

Bytes DecodeWithFfmpeg(const std::string& path) {
    std::string raw = path + ".ffdec.raw";
    if (!Shell("ffmpeg -v error -y -i '" + path + "' -f s16le -acodec pcm_s16le '" + raw + "'")) return Bytes();
    Bytes b = ReadAll(raw);
    std::remove(raw.c_str());
    return b;
}

Bytes DecodeWithSox(const std::string& path) {
    std::string raw = path + ".soxdec.raw";
    if (!Shell("sox '" + path + "' -t raw -e signed -b 16 -L '" + raw + "'")) return Bytes();
    Bytes b = ReadAll(raw);
    std::remove(raw.c_str());
    return b;
}

Bytes MakeMidi(uint16_t division, const std::vector<Bytes>& tracks) {
    Bytes m;
    AppendText(&m, "MThd");
    const uint8_t head[10] = {0,
                              0,
                              0,
                              6,
                              0,
                              uint8_t(tracks.size() > 1 ? 1 : 0),
                              0,
                              uint8_t(tracks.size()),
                              uint8_t(division >> 8),
                              uint8_t(division)};
    AppendBytes(&m, head, sizeof head);
    for (const Bytes& t : tracks) {
        AppendText(&m, "MTrk");
        uint32_t n = uint32_t(t.size());
        const uint8_t len[4] = {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
        AppendBytes(&m, len, 4);
        AppendBytes(&m, t.data(), t.size());
    }
    return m;
}

void PutTrailerBeforeTag(const std::string& path, const char* title) {
    Bytes b = ReadAll(path), tag(b.end() - 128, b.end()), trailer;
    b.resize(b.size() - 128);
    uint32_t bytes = uint32_t(std::strlen(title) + 1);
    AppendText(&trailer, "DISP");
    AppendLe32(&trailer, bytes + 4);
    AppendLe32(&trailer, 1);
    AppendBytes(&trailer, title, bytes);
    AppendLe32(&trailer, uint32_t(trailer.size()));
    AppendText(&trailer, "MEXT");
    b.insert(b.end(), trailer.begin(), trailer.end());
    b.insert(b.end(), tag.begin(), tag.end());
    WriteAll(path, b);
}
