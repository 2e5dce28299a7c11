// Divide (see divide.h). The new file is written under a temporary name beside its final name
// and renamed into place when complete; the source is only ever opened for reading.
#include "tools/divide.h"
#include <cstring>
#include "base/bounded_copy.h"
#include "base/byte_order.h"
#include "base/path_names.h"
#include "media/id3v1.h"
#include "media/media_probe.h"
#include "media/titles.h"
#include "resources/resource.h"
#include "tools/mpeg_frames.h"
#include "tools/tool_output.h"
#include "tools/wave_layout.h"

namespace {

// Output extensions by media kind (MediaKind order); null keeps the typed one.
const char* const KIND_EXTENSIONS[] = {".wav", ".mpa", ".mp2", ".mp3", ".mpa", nullptr};

}  // namespace

// Writes the ID3v1 fields of the source's tag record into the new file. Only when the source has
// an ID3v1 tag; the title trailer is never carried over. 1 on success. The new file is still
// under its temporary name, which the player never holds, so no track is held around the writes.
int CopyId3Fields(const char* newPath, const char* source) {
    int container = TITLES_NONE;
    if (!GetTitleContainer(source, &container)) return 0;
    // The source's record as the Tag Editor would load it, with the same questions (as text on
    // the command line).
    TagLoad load;
    LoadTagRecord(source, &load);
    if (load.titleWasCut) ToolMessage(STR_TITLE_TOO_LONG, nullptr, JOIN_NONE, MSGBOX_OK);
    if (load.hasTrailerTitle) {
        char choice[TITLE_CHOICE_BYTES];
        FormatTitleChoice(&load, choice);
        if (ToolMessage(STR_KELVARA_TITLE_FOUND, choice, JOIN_APPEND, MSGBOX_YESNO) != MSGBOX_ANSWER_YES)
            UseTrailerTitle(&load);
    }
    if (container != TITLES_ID3 && container != TITLES_ID3_TRAILER) return 1;
    const TagRecord& record = load.record;
    char genre[12];
    std::snprintf(genre, sizeof genre, "%d", int(record.genre));
    const char* values[6] = {record.title, record.artist, genre, record.year, record.album, record.comment};
    for (int field = FIELD_TITLE; field <= FIELD_COMMENT; field++)
        if (!SetTitleField(newPath, field, values[field], 0)) return 0;
    return 1;
}

const char* ToolExtensionForKind(int kind) {
    return kind >= MEDIA_WAVE && kind <= MEDIA_MIDI ? KIND_EXTENSIONS[kind] : nullptr;
}

int ApplyKindExtension(char* path, int kind) {
    const char* ext = ToolExtensionForKind(kind);
    if (!ext) return 1;
    char* name = const_cast<char*>(FileNameOf(path));
    char* dot = std::strrchr(name, '.');
    size_t keep = dot ? size_t(dot - path) : std::strlen(path);
    if (keep + std::strlen(ext) + 1 > TOOL_PATH_BYTES) return 0;
    std::strcpy(path + keep, ext);
    return 1;
}

int DivideWave(const char* destination, const char* source, uint32_t inMs, uint32_t outMs) {
    MediaFileGuard src;
    WaveLayout w;
    if (!OpenMediaFile(source, MF_READ, &src.file) || !ReadWaveLayout(&src.file, &w)) return 0;
    // A block align of 0 gives no block boundary to cut on: refused.
    if (w.blockAlign == 0 || outMs <= inMs) return 0;
    uint64_t start = uint64_t(double(inMs) * 0.001 * w.avgBytesPerSec) / w.blockAlign * w.blockAlign;
    uint64_t length = uint64_t(double(outMs - inMs) * 0.001 * w.avgBytesPerSec) / w.blockAlign * w.blockAlign;
    if (start > w.dataAvailable) return 0;
    // An Out past the end of the sound (a length rounded up somewhere) cuts to the end.
    if (length > w.dataAvailable - start) length = (w.dataAvailable - start) / w.blockAlign * w.blockAlign;
    uint64_t trailing = w.trailingAt < w.fileSize ? w.fileSize - w.trailingAt : 0;
    uint64_t pad = length & 1;
    uint64_t total = w.dataHeaderAt + CHUNK_HEAD_BYTES + length + pad + trailing;
    if (total - 8 > 0xFFFFFFFFu) return 0;

    NewFile out;
    if (!BeginNewFile(destination, &out)) return 0;
    uint8_t head[CHUNK_HEAD_BYTES];
    std::memcpy(head, "data", 4);
    PutLe32(head + 4, uint32_t(length));
    uint8_t riffSize[4];
    PutLe32(riffSize, uint32_t(total - 8));
    const uint8_t zero = 0;
    uint64_t dataStart = w.dataHeaderAt + CHUNK_HEAD_BYTES;
    int ok =
        CopyMediaFileRange(&src.file, 0, &out.file, 0, w.dataHeaderAt) &&
        WriteMediaFile(&out.file, RIFF_SIZE_OFFSET, riffSize, 4) &&
        WriteMediaFile(&out.file, w.dataHeaderAt, head, CHUNK_HEAD_BYTES) &&
        (length == 0 || CopyMediaFileRange(&src.file, dataStart + start, &out.file, dataStart, length)) &&
        (pad == 0 || WriteMediaFile(&out.file, dataStart + length, &zero, 1)) &&
        (trailing == 0 || CopyMediaFileRange(&src.file, w.trailingAt, &out.file, dataStart + length + pad, trailing)) &&
        CloseNewFile(&out) && PlaceNewFile(&out);
    if (!ok) AbandonNewFile(&out);
    return ok;
}

int DivideMpeg(const char* destination, const char* source, uint32_t inMs, uint32_t outMs) {
    MpegStreamInfo info;
    // Without a sampling rate or bit rate from the library no position can be computed.
    if (!GetMpegStreamInfo(source, &info)) return 0;
    MediaFileGuard src;
    if (!OpenMediaFile(source, MF_READ, &src.file)) return 0;
    uint64_t audioEnd = info.audioStart + info.streamBytes;
    // Times count from the first audio frame: behind any leading data (an ID3v2 tag with cover
    // art can be hundreds of kilobytes) and behind a VBR header frame, which describes the whole
    // source and would give players the wrong length in a part of it.
    uint64_t firstAudio = FirstAudioFrame(&src.file, &info);
    uint64_t start = firstAudio + MpegBytePosition(&info, inMs);
    uint64_t end = firstAudio + MpegBytePosition(&info, outMs);
    FindMpegFrameIn(&src.file, &start, &info);
    // No header behind the Out position: the cut runs to the end of the audio, never into tags.
    if (!FindMpegFrameIn(&src.file, &end, &info) || end > audioEnd) end = end < audioEnd ? end : audioEnd;
    if (end <= start) return 0;

    // A part of a layer III file that opens with a header frame opens with one of its own (the
    // source's would time it wrongly); a file without one gets none. Its figures take a walk
    // over the part's frames, which runs beside the copy (on a handle of its own) so that it
    // costs no time of its own; the header frame goes in front once both are done.
    std::vector<uint8_t> head;
    MediaFileGuard walkFile;
    FrameSpan span{&walkFile.file, start, end};
    if (info.vbrHeader && !OpenMediaFile(source, MF_READ, &walkFile.file)) return 0;
    if (info.vbrHeader) PlanVbrHeaderFrame(&span, 1, &head);

    NewFile out;
    if (!BeginNewFile(destination, &out)) return 0;
    VbrHeaderFill fill;
    if (!head.empty()) StartVbrHeaderFill(&span, 1, &head, &fill);
    int copied = CopyMediaFileRange(&src.file, start, &out.file, head.size(), end - start);
    int filled = head.empty() || FinishVbrHeaderFill(&fill);
    int ok = copied && filled && (head.empty() || WriteMediaFile(&out.file, 0, head.data(), uint32_t(head.size()))) &&
             CloseNewFile(&out) && CopyId3Fields(out.tempPath, source) && PlaceNewFile(&out);
    if (!ok) AbandonNewFile(&out);
    return ok;
}

int DivideFile(char* destination, const char* source, uint32_t inMs, uint32_t outMs) {
    if (!source || !source[0]) return ToolMessage(STR_SELECT_FILE_TO_DIVIDE, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    if (!FileExists(source)) return ToolMessage(STR_NOT_FOUND, source, JOIN_SPACE, MSGBOX_OK), 0;
    if (!destination[0]) return ToolMessage(STR_SET_FILE_NAME, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    if (int32_t(outMs) - int32_t(inMs) < 1) return ToolMessage(STR_BAD_FILE_SIZE, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    MediaInfo info{};
    if (!GetMediaInfo(source, &info)) return 0;
    if (!ApplyKindExtension(destination, info.kind)) return ToolMessage(STR_ERROR, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    if (SamePathNoCase(destination, source)) return ToolMessage(STR_DIVIDE_SAME_NAME, nullptr, JOIN_NONE, MSGBOX_OK), 0;
    if (FileExists(destination) &&
        ToolMessage(STR_FILE_EXISTS, destination, JOIN_SPACE, MSGBOX_YESNO | MSGBOX_ICONWARNING) != MSGBOX_ANSWER_YES)
        return 0;
    int reason = 0;
    if (!CheckWritable(destination, &reason) && reason == WRITABLE_LOCKED)
        return ToolMessage(STR_COULD_NOT_WRITE, destination, JOIN_SPACE_DOT, MSGBOX_OK), 0;
    BeginToolRun();
    int ok = info.kind == MEDIA_WAVE ? DivideWave(destination, source, inMs, outMs)
                                     : DivideMpeg(destination, source, inMs, outMs);
    if (!ok) ShowToolError();
    return ok;
}
