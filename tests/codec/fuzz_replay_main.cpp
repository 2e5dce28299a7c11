// Replays a fuzz corpus folder through a libFuzzer entry point with the normal build, so the
// test run checks every stored input without fuzzing. Exit status 0 when all ran.
#include <dirent.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    DIR* d = opendir(argv[1]);
    if (!d) {
        std::fprintf(stderr, "no corpus at %s\n", argv[1]);
        return 1;
    }
    int count = 0;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        std::string path = std::string(argv[1]) + "/" + e->d_name;
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) continue;
        std::vector<uint8_t> bytes;
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
        std::fclose(f);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++count;
    }
    closedir(d);
    std::printf("%d passed, 0 failed\n", count);
    return count > 0 ? 0 : 1;
}
