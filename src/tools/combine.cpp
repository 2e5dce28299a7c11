// Combine (see combine.h). Like divide, the new file is built under a temporary name beside
// its final one and renamed into place when complete; the sources are only read.
#include "tools/combine.h"
#include <cstring>
#include "base/byte_order.h"
#include "media/id3v1.h"
#include "media/media_probe.h"
#include "media/titles.h"
#include "resources/resource.h"
#include "tools/divide.h"
#include "tools/tool_output.h"
#include "tools/wave_layout.h"

namespace {

const int LAST_FRAME_TRIES = 1000;

// A run of source bytes to copy into the new file.
struct ByteRun {
    uint64_t from, to;
};

// Copies the runs one after the other into out from *at; 1 when all were copied.
int CopyRuns(const MediaFile* src, const ByteRun* runs, int count, NewFile* out, uint64_t* at) {
    for (int i = 0; i < count; i++) {
        if (runs[i].to <= runs[i].from) continue;
        uint64_t n = runs[i].to - runs[i].from;
        if (!CopyMediaFileRange(src, runs[i].from, &out->file, *at, n)) return 0;
        *at += n;
    }
    return 1;
}

// The bytes of an MPEG file that go into the join: from `from` up to its last whole frame, with
// a VBR header frame left out (it describes the one file, not the join, and would make players
// stop or time the joined file at the first file's end). Fills up to two runs; 0 on failure.
int MpegRuns(const MediaFile* file, const MpegStreamInfo* info, uint32_t frameLength, uint64_t from, ByteRun* runs,
             int* countOut) {
    uint64_t end = info->audioStart + info->streamBytes;
    if (!FindLastWholeFrameEnd(file, &end, frameLength, info)) return 0;
    uint64_t audio = FirstAudioFrame(file, info);
    *countOut = 2;
    runs[0] = {from, info->audioStart > from ? info->audioStart : from};
    runs[1] = {audio > from ? audio : from, end};
    if (audio == info->audioStart) {  // no header frame: one run
        runs[0] = {from, end};
        *countOut = 1;
    }
    return 1;
}

// 1 when both WAVE files are laid out as the joiner takes them and coded differently (a file
// the joiner cannot read fails there, with its own message).
int WaveCodingsDiffer(const char* file1, const char* file2) {
    MediaFileGuard a, b;
    WaveLayout w1, w2;
    return OpenMediaFile(file1, MF_READ, &a.file) && ReadWaveLayout(&a.file, &w1) &&
           OpenMediaFile(file2, MF_READ, &b.file) && ReadWaveLayout(&b.file, &w2) && !SameWaveCoding(&w1, &w2);
}

}  // namespace

int FindLastWholeFrameEnd(const MediaFile* file, uint64_t* end, uint32_t frameLength, const MpegStreamInfo* info) {
    if (frameLength == 0) return 0;
    for (int k = 0; k < LAST_FRAME_TRIES; k++) {
        uint64_t back = uint64_t(k) * frameLength;
        if (back > *end) return 0;
        uint64_t h = *end - back;
        uint32_t bytes = 0;
        if (FindMpegFrameIn(file, &h, info, &bytes) && h + bytes <= *end) {
            *end = h + bytes;
            return 1;
        }
    }
    return 0;
}

int CombineWave(const char* destination, const char* file1, const char* file2) {
    MediaFileGuard a, b;
    WaveLayout w1, w2;
    if (!OpenMediaFile(file1, MF_READ, &a.file) || !ReadWaveLayout(&a.file, &w1) ||
        !OpenMediaFile(file2, MF_READ, &b.file) || !ReadWaveLayout(&b.file, &w2) || !SameWaveCoding(&w1, &w2))
        return 0;
    // The join carries the first file's chunks behind its sound data (its titles), as MPEG
    // joins keep the first file's tag.
    uint64_t data = w1.dataAvailable + w2.dataAvailable, pad = data & 1;
    uint64_t trailing = w1.trailingAt < w1.fileSize ? w1.fileSize - w1.trailingAt : 0;
    uint64_t dataStart = w1.dataHeaderAt + CHUNK_HEAD_BYTES;
    uint64_t total = dataStart + data + pad + trailing;
    if (data > 0xFFFFFFFFu || total - 8 > 0xFFFFFFFFu) return 0;

    NewFile out;
    if (!BeginNewFile(destination, &out)) return 0;
    uint8_t riffSize[4], head[CHUNK_HEAD_BYTES];
    PutLe32(riffSize, uint32_t(total - 8));
    std::memcpy(head, "data", 4);
    PutLe32(head + 4, uint32_t(data));
    const uint8_t zero = 0;
    int ok =
        CopyMediaFileRange(&a.file, 0, &out.file, 0, w1.dataHeaderAt) &&
        WriteMediaFile(&out.file, RIFF_SIZE_OFFSET, riffSize, 4) &&
        WriteMediaFile(&out.file, w1.dataHeaderAt, head, CHUNK_HEAD_BYTES) &&
        (w1.dataAvailable == 0 || CopyMediaFileRange(&a.file, dataStart, &out.file, dataStart, w1.dataAvailable)) &&
        (w2.dataAvailable == 0 || CopyMediaFileRange(&b.file, w2.dataHeaderAt + CHUNK_HEAD_BYTES, &out.file,
                                                     dataStart + w1.dataAvailable, w2.dataAvailable)) &&
        (pad == 0 || WriteMediaFile(&out.file, dataStart + data, &zero, 1)) &&
        (trailing == 0 || CopyMediaFileRange(&a.file, w1.trailingAt, &out.file, dataStart + data + pad, trailing)) &&
        CloseNewFile(&out) && PlaceNewFile(&out);
    if (!ok) AbandonNewFile(&out);
    return ok;
}

int CombineMpeg(const char* destination, const char* file1, const char* file2) {
    MpegStreamInfo i1, i2;
    if (!GetMpegStreamInfo(file1, &i1) || !GetMpegStreamInfo(file2, &i2)) return 0;
    uint32_t frameLength = MpegFrameLength(&i1);
    MediaFileGuard a, b;
    if (!OpenMediaFile(file1, MF_READ, &a.file) || !OpenMediaFile(file2, MF_READ, &b.file)) return 0;
    ByteRun runs1[2], runs2[2];
    int n1 = 0, n2 = 0;
    uint64_t sync2 = 0;
    // File 1 from its first byte (leading data such as an ID3v2 tag stays); file 2 from its
    // first frame sync, which must be within its first 512 bytes. An ID3v2 tag in front of
    // file 2 (other programs write one) is known data, not junk: file 2 then starts at the
    // first frame behind it.
    int synced = SeekFirstMpegSync(&b.file, &sync2);
    if (!synced && i2.id3v2) synced = 1, sync2 = i2.audioStart;
    if (!synced || !MpegRuns(&a.file, &i1, frameLength, 0, runs1, &n1) ||
        !MpegRuns(&b.file, &i2, frameLength, sync2, runs2, &n2))
        return 0;

    // File 1's leading data, then for layer III files with header frames one that describes the
    // join (the sources' own are left out), then the frames of both. The header frame's figures
    // take a walk over all the frames, which runs beside the copy on handles of its own; the
    // header frame is written into the room left for it once both are done.
    ByteRun lead = {0, i1.audioStart}, frames1 = {FirstAudioFrame(&a.file, &i1), runs1[n1 - 1].to};
    std::vector<uint8_t> head;
    MediaFileGuard walkA, walkB;
    const FrameSpan spans[] = {
        {&walkA.file, frames1.from,               frames1.to              },
        {&walkB.file, runs2[0].from,              runs2[0].to             },
        {&walkB.file, n2 > 1 ? runs2[1].from : 0, n2 > 1 ? runs2[1].to : 0},
    };
    if (i1.vbrHeader || i2.vbrHeader) {
        if (!OpenMediaFile(file1, MF_READ, &walkA.file) || !OpenMediaFile(file2, MF_READ, &walkB.file)) return 0;
        PlanVbrHeaderFrame(spans, 3, &head);
    }

    NewFile out;
    if (!BeginNewFile(destination, &out)) return 0;
    VbrHeaderFill fill;
    if (!head.empty()) StartVbrHeaderFill(spans, 3, &head, &fill);
    uint64_t at = 0, headAt = i1.audioStart;
    int copied = CopyRuns(&a.file, &lead, 1, &out, &at) &&
                 ((at += head.size()), CopyRuns(&a.file, &frames1, 1, &out, &at)) &&
                 CopyRuns(&b.file, runs2, n2, &out, &at);
    int filled = head.empty() || FinishVbrHeaderFill(&fill);
    int ok = copied && filled &&
             (head.empty() || WriteMediaFile(&out.file, headAt, head.data(), uint32_t(head.size()))) &&
             CloseNewFile(&out) && CopyId3Fields(out.tempPath, file1) && PlaceNewFile(&out);
    if (!ok) AbandonNewFile(&out);
    return ok;
}

int CombineFiles(char* destination, const char* file1, const char* file2) {
    if (!file1 || !file1[0]) return ToolMessage(STR_SET_FILE_NAME_1, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    if (!FileExists(file1)) return ToolMessage(STR_NOT_FOUND, file1, JOIN_SPACE, MSGBOX_OK), 0;
    if (!file2 || !file2[0]) return ToolMessage(STR_SET_FILE_NAME_2, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    if (!FileExists(file2)) return ToolMessage(STR_NOT_FOUND, file2, JOIN_SPACE, MSGBOX_OK), 0;
    if (!destination[0]) return ToolMessage(STR_SET_FILE_NAME, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    MediaInfo a{}, b{};
    if (!GetMediaInfo(file1, &a)) return ToolMessage(STR_NO_INFORMATION, file1, JOIN_SPACE, MSGBOX_OK), 0;
    if (!GetMediaInfo(file2, &b)) return ToolMessage(STR_NO_INFORMATION, file2, JOIN_SPACE, MSGBOX_OK), 0;
    // The checks in the order the user hears of them; MPEG files have 0 channels and bits.
    struct Check {
        bool differs;
        int message;
    };
    const Check checks[] = {
        {a.kind != b.kind,                               STR_COMBINE_FORMAT   },
        {a.channels != b.channels,                       STR_COMBINE_CHANNELS },
        {a.sampleRate != b.sampleRate,                   STR_COMBINE_FREQUENCY},
        {a.bitsPerSample != b.bitsPerSample,             STR_COMBINE_BITS     },
        {a.kind != MEDIA_WAVE && a.bitRate != b.bitRate, STR_COMBINE_BITRATE  },
    };
    for (const Check& c : checks)
        if (c.differs) return ToolMessage(c.message, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    // Equal sizes are not enough for WAVE files: float after PCM, or mu-law after A-law, would
    // play as noise. Their codings must match too.
    if (a.kind == MEDIA_WAVE && WaveCodingsDiffer(file1, file2))
        return ToolMessage(STR_COMBINE_FORMAT, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    if (!ApplyKindExtension(destination, a.kind)) return ToolMessage(STR_ERROR, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    if (SamePathNoCase(destination, file1) || SamePathNoCase(destination, file2))
        return ToolMessage(STR_COMBINE_SAME_NAME, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    if (FileExists(destination) &&
        ToolMessage(STR_FILE_EXISTS, nullptr, JOIN_NONE, MSGBOX_YESNO | MSGBOX_ICONWARNING) != MSGBOX_ANSWER_YES)
        return 0;
    int reason = 0;
    if (!CheckWritable(destination, &reason) && reason == WRITABLE_LOCKED)
        return ToolMessage(STR_COULD_NOT_WRITE, destination, JOIN_SPACE_DOT, MSGBOX_OK), 0;
    BeginToolRun();
    int ok = a.kind == MEDIA_WAVE ? CombineWave(destination, file1, file2) : CombineMpeg(destination, file1, file2);
    if (!ok) ShowToolError();
    return ok;
}
