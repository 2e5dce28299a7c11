// Times growing the title of a large WAVE file, which moves everything behind the title chunk,
// against `cp` of the same file in the same run. The title sits right after the header, so the
// whole audio moves; each round grows it by two bytes.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "media/media_file.h"
#include "media/titles.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A PCM WAVE of about `megabytes` MB: header, a 4-letter title, "fmt ", then the audio.
bool MakeWave(const std::string& path, uint32_t megabytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    uint32_t dataBytes = megabytes * 1024u * 1024u;
    uint8_t head[12 + 18 + 24 + 8];
    uint8_t* p = head;
    std::memcpy(p, "RIFF", 4);
    PutLe32(p + 4, uint32_t(sizeof head - 8 + dataBytes));
    std::memcpy(p + 8, "WAVE", 4);
    p += 12;
    std::memcpy(p, "DISP\x09\0\0\0\x01\0\0\0Kiwi\0\0", 18);
    p += 18;
    std::memcpy(p, "fmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0", 24);
    p += 24;
    std::memcpy(p, "data", 4);
    PutLe32(p + 4, dataBytes);
    bool ok = std::fwrite(head, 1, sizeof head, f) == sizeof head;
    std::vector<uint8_t> block(1 << 20);
    for (size_t i = 0; i < block.size(); i++) block[i] = uint8_t(i * 7 + (i >> 9));
    for (uint32_t mb = 0; ok && mb < megabytes; mb++)
        ok = std::fwrite(block.data(), 1, block.size(), f) == block.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    uint32_t megabytes = argc > 1 ? uint32_t(std::atoi(argv[1])) : 500;
    std::string folder = argc > 2 ? argv[2] : "/tmp";
    std::string wav = folder + "/riff_rewrite_bench.wav", copy = folder + "/riff_rewrite_bench.copy.wav";
    if (!MakeWave(wav, megabytes)) {
        std::fprintf(stderr, "cannot write %s\n", wav.c_str());
        return 1;
    }
    std::system(("cat '" + wav + "' > /dev/null").c_str());  // both start from a warm cache
    const int rounds = 3;
    double cpTotal = 0, rewriteTotal = 0;
    std::string title = "Kiwi";
    for (int i = 0; i < rounds; i++) {
        auto t0 = std::chrono::steady_clock::now();
        if (std::system(("cp '" + wav + "' '" + copy + "' && sync '" + copy + "'").c_str()) != 0) return 1;
        cpTotal += Seconds(t0);
        std::remove(copy.c_str());
        title += "ab";
        t0 = std::chrono::steady_clock::now();
        if (!SetTitleField(wav.c_str(), FIELD_TITLE, title.c_str(), 0)) return 1;
        std::system(("sync '" + wav + "'").c_str());
        rewriteTotal += Seconds(t0);
    }
    std::printf("file_mb=%u rounds=%d cp_s=%.3f rewrite_s=%.3f ratio_rewrite_to_cp=%.2f\n", megabytes, rounds,
                cpTotal / rounds, rewriteTotal / rounds, rewriteTotal / cpTotal);
    std::remove(wav.c_str());
    return 0;
}
