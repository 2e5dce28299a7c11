// Fuzzes the title, tag and trailer writers on real files of up to 1 MB. The first input byte
// picks the operation, the field, the value and whether a file call fails; the rest is the
// file. Whatever happens: a failed write leaves the file byte for byte as it was, nothing is
// left beside it, no file stays open, and a title written to a WAVE file reads back.
#include <dirent.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "fake_player.h"
#include "media/file_splice.h"
#include "media/id3v1.h"
#include "media/media_file_fault.h"
#include "media/riff_chunks.h"
#include "media/title_readers.h"
#include "media/titles.h"

namespace {

const size_t MAX_FILE_BYTES = 1 << 20;

typedef std::vector<uint8_t> Bytes;

std::string Folder() {
    static std::string folder;
    if (folder.empty()) {
        char tmpl[] = "/tmp/qd-fuzz-writers-XXXXXX";
        if (!mkdtemp(tmpl)) std::abort();
        folder = tmpl;
        std::atexit([] { rmdir(folder.c_str()); });
    }
    return folder;
}

void Put(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) std::abort();
}

Bytes Get(const std::string& path) {
    Bytes b;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return b;
    uint8_t block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) b.insert(b.end(), block, block + n);
    std::fclose(f);
    return b;
}

int FilesIn(const std::string& folder) {
    int n = 0;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > MAX_FILE_BYTES + 1) return 0;
    FakePlayerReset();
    uint8_t pick = data[0];
    const uint8_t* file = data + 1;
    size_t fileSize = size - 1;
    int midi = fileSize >= 4 && std::memcmp(file, "MThd", 4) == 0;
    std::string path = Folder() + (midi ? "/f.mid" : "/f.wav");
    Put(path, file, fileSize);

    static const std::string LONG(255, 'L');
    const char* values[4] = {"", "Kiwi", LONG.c_str(), "17"};
    const char status[4] = {0x04, 0x06, 0x00, char(pick)};
    int op = pick & 7, field = (pick >> 3) & 7, value = (pick >> 3) & 3, faultAt = pick >> 6;
    SetMediaFileFault(faultAt ? MEDIA_FAULT_SHORT : MEDIA_FAULT_NONE, faultAt);
    int result = 0;
    switch (op) {
    case 0: result = SetTitleField(path.c_str(), FIELD_TITLE, values[value], 0); break;
    case 1: result = SetTitleField(path.c_str(), field == 6 ? FIELD_ARTIST : field, values[value], 0); break;
    case 2: result = SetTitleField(path.c_str(), FIELD_CHANNEL_STATUS, status, 4); break;
    case 3: result = WriteTrailerChannelStatus(path.c_str(), status, 4); break;
    case 4: result = ReduceTitleTrailer(path.c_str()); break;
    case 5: result = WriteId3Field(path.c_str(), field % 6, values[value]); break;
    default: {  // the readers over the same file, the MIDI scan among them
        char out[TITLE_FIELD_MAX_BYTES];
        GetTitleField(path.c_str(), field, out, SOURCE_ID3_FIRST);
        result = 1;
        break;
    }
    }
    SetMediaFileFault(MEDIA_FAULT_NONE, 0);
    Bytes after = Get(path);
    if (MediaFilesOpen() != 0 || FilesIn(Folder()) != 1) __builtin_trap();
    if (!result && (after.size() != fileSize || (fileSize && std::memcmp(after.data(), file, fileSize) != 0)))
        __builtin_trap();
    // A title written to a WAVE file is the one read back (cut to 255 letters).
    ByteReader r = MemoryReader(after.data(), after.size());
    RiffChunk riff;
    if (result && op == 0 && value && fileSize >= 12 && std::memcmp(file, "RIFF", 4) == 0 &&
        FindRiffForm(&r, "WAVE", &riff)) {
        char out[TITLE_FIELD_MAX_BYTES] = "";
        if (!ReadFieldFrom(&r, FIELD_TITLE, SOURCE_ID3_FIRST, out) || std::strcmp(out, values[value]) != 0)
            __builtin_trap();
    }
    std::remove(path.c_str());
    return 0;
}
