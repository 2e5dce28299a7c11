// A fake of PlayerCheckInfo, the one player call the media modules make.
#include "fake_player.h"
#include <cstdio>
#include <cstring>
#include "playback/mpeg_libraries.h"

namespace {
struct FakeState {
    int present = 1;
    uint8_t status[4] = {0, 0, 0, 0};
    int checks = 0;
};
FakeState g_fake;

// kbit/s by [MPEG-1 ? 0 : 1][layer 1..3][index]
const int BITRATES[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}    },
};
const int RATES[3] = {44100, 48000, 32000};

void Put32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
void Put16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
}  // namespace

void FakePlayerReset() { g_fake = FakeState(); }
void FakePlayerSetPresent(int present) { g_fake.present = present; }
void FakePlayerSetReportedStatus(const uint8_t status[4]) { std::memcpy(g_fake.status, status, 4); }
int FakePlayerCheckCount() { return g_fake.checks; }

namespace {
// What the library answers: 0 for an MPEG file, 1 for anything else.
int32_t FakeCheckInfo(const char* path, void* info, void* ext) {
    if (!g_fake.present) return MPEG_UNAVAILABLE;
    FILE* f = std::fopen(path, "rb");
    if (!f) return 1;
    uint8_t h[4] = {0};
    size_t got = std::fread(h, 1, 4, f);
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fclose(f);
    if (got != 4 || h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return 1;
    int version = (h[1] >> 3) & 3, layerCode = (h[1] >> 1) & 3;
    int brIndex = h[2] >> 4, srIndex = (h[2] >> 2) & 3;
    if (version == 1 || layerCode == 0 || brIndex == 0 || brIndex == 15 || srIndex == 3) return 1;
    int layer = 4 - layerCode;
    int kbps = BITRATES[version == 3 ? 0 : 1][layer - 1][brIndex];
    int rate = RATES[srIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    uint8_t* in = static_cast<uint8_t*>(info);
    std::memset(in, 0, TAVPLY_INFO_BYTES);
    Put32(in + TAVPLY_INFO_STREAM, TAVPLY_STREAM_MPEG_AUDIO);
    Put32(in + TAVPLY_INFO_STREAM_BYTES, uint32_t(size));
    Put32(in + TAVPLY_INFO_LENGTH_MS, uint32_t(uint64_t(size) * 8 / kbps));
    Put32(in + TAVPLY_INFO_VERSION_BIT, version == 3);
    Put32(in + TAVPLY_INFO_LAYER_CODE, layerCode);
    Put16(in + TAVPLY_INFO_COPYRIGHT, (h[3] >> 3) & 1);
    Put16(in + TAVPLY_INFO_ORIGINAL, (h[3] >> 2) & 1);
    Put32(in + TAVPLY_INFO_SAMPLE_RATE, rate);
    Put32(in + TAVPLY_INFO_BITRATE, kbps);
    Put32(in + TAVPLY_INFO_LAYER, layer);
    uint8_t* x = static_cast<uint8_t*>(ext);
    std::memset(x, 0, TAVPLY_EXT_BYTES);
    std::memcpy(x + TAVPLY_EXT_CHANNEL_STATUS, g_fake.status, 4);
    return 0;
}
}  // namespace

int PlayerCheckInfo(const char* path, void* info, void* ext, int32_t* codeOut) {
    g_fake.checks++;
    int32_t code = FakeCheckInfo(path, info, ext);
    if (codeOut) *codeOut = code;
    return code == 0;
}
