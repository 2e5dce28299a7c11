// qdmedia: probe sound files and read or write their titles from the command line, through the
// same code the deck uses. Output is one "key=value" per line; bytes outside printable ASCII are
// written as \xNN and a backslash as "\\". Exit status as USAGE lists it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "media/file_splice.h"
#include "media/media_file.h"
#include "media/id3v1.h"
#include "media/media_probe.h"
#include "media/titles.h"
#include "playback/mpeg_libraries.h"
#include "resources/resource.h"
#include "tools/combine.h"
#include "tools/divide.h"
#include "tools/tool_output.h"
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <csignal>
#endif

namespace {

const char USAGE[] =
    "usage: qdmedia COMMAND FILE [ARGS]\n"
    "  probe FILE                    media info, play kind, length, title container, format texts\n"
    "  get FILE FIELD [SOURCE]       read a title field (SOURCE 0, 2, 3 or 4; default 0)\n"
    "  set FILE FIELD VALUE          write a title field (empty VALUE removes it)\n"
    "  set-raw FILE FIELD HEX        write raw bytes, e.g. set-raw f.mp3 status 04060000\n"
    "  id3-get FILE FIELD            read an ID3v1 field\n"
    "  id3-set FILE FIELD VALUE      write an ID3v1 field\n"
    "  midi-title FILE               title of a Standard MIDI file\n"
    "  trailer-status FILE HEX       rewrite the channel status in an MPEG title trailer\n"
    "  reduce-trailer FILE           cut a trailer before the ID3v1 tag to its channel status\n"
    "  genres                        the genre table in list order\n"
    "  divide FILE DEST IN_MS OUT_MS [--yes]\n"
    "                                cut IN..OUT (milliseconds) of FILE into DEST\n"
    "  combine FILE FILE2 DEST [--yes]\n"
    "                                join FILE and FILE2 into DEST\n"
    "  (--yes answers Yes when DEST exists; without it an existing DEST is kept)\n"
    "FIELD: title artist genre year album comment status, or the index 0..7\n"
    "exit status: 0 done; 1 failed (with its message) or found nothing; 2 bad usage;\n"
    "  3 no room (disk or file-size limit full); 4 not allowed; 5 read error;\n"
    "  6 not a sound file (or its sizes are damaged); 7 write error.\n"
    "  A failed write leaves the file as it was.\n";

enum ExitCode {
    EXIT_DONE = 0,
    EXIT_FAILED = 1,
    EXIT_USAGE = 2,
    EXIT_NO_ROOM = 3,
    EXIT_DENIED = 4,
    EXIT_READ_ERROR = 5,
    EXIT_NOT_SOUND = 6,
    EXIT_WRITE_ERROR = 7,
};

// The exit code of a media file error.
int ExitForMediaError(int error) {
    switch (error) {
    case MEDIA_ERROR_NO_ROOM: return EXIT_NO_ROOM;
    case MEDIA_ERROR_DENIED: return EXIT_DENIED;
    case MEDIA_ERROR_READ: return EXIT_READ_ERROR;
    default: return EXIT_WRITE_ERROR;
    }
}

// The exit code of a failed title write.
int ExitForWriteFailure(int failure) {
    switch (failure) {
    case WRITE_FAILED_NO_ROOM: return EXIT_NO_ROOM;
    case WRITE_FAILED_OPEN: return LastMediaFileError() == MEDIA_ERROR_DENIED ? EXIT_DENIED : EXIT_READ_ERROR;
    case WRITE_FAILED_CORRUPT: return EXIT_NOT_SOUND;
    case WRITE_FAILED_IO: return ExitForMediaError(LastMediaFileError());
    default: return EXIT_FAILED;  // busy, a RIFF size past 32 bits, not a file we write titles to
    }
}

// The exit code of a failed divide or combine.
int ExitForToolFailure(int failure) {
    static const int CODES[] = {EXIT_FAILED,     EXIT_NO_ROOM,   EXIT_DENIED,
                                EXIT_READ_ERROR, EXIT_NOT_SOUND, EXIT_WRITE_ERROR};
    return failure >= TOOL_FAILED_NONE && failure <= TOOL_FAILED_WRITE ? CODES[failure] : EXIT_FAILED;
}

// Field names in index order.
const char* const FIELD_NAMES[TITLE_FIELD_COUNT] = {"title", "artist",  "genre",     "year",
                                                    "album", "comment", "copyright", "status"};

int ParseField(const char* s) {
    for (int i = 0; i < TITLE_FIELD_COUNT; i++)
        if (std::strcmp(s, FIELD_NAMES[i]) == 0) return i;
    if (s[0] >= '0' && s[0] <= '7' && s[1] == 0) return s[0] - '0';
    return -1;
}

std::string Escape(const char* bytes, size_t n) {
    std::string out;
    char hex[8];
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)bytes[i];
        if (c == '\\')
            out += "\\\\";
        else if (c >= 0x20 && c < 0x7F)
            out += char(c);
        else {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

void PrintText(const char* key, const char* text) {
    std::printf("%s=%s\n", key, Escape(text, std::strlen(text)).c_str());
}

// Hex text to bytes; -1 when malformed.
int ParseHex(const char* s, char* out, int cap) {
    int n = 0;
    size_t len = std::strlen(s);
    if (len % 2) return -1;
    for (size_t i = 0; i < len; i += 2) {
        char pair[3] = {s[i], s[i + 1], 0};
        char* end;
        long v = std::strtol(pair, &end, 16);
        if (*end || n >= cap) return -1;
        out[n++] = char(v);
    }
    return n;
}

int Probe(const char* path) {
    std::printf("exists=%d\n", FileExists(path));
    MediaInfo info;
    std::memset(&info, 0, sizeof info);
    int ok = GetMediaInfo(path, &info);
    std::printf("info=%d\n", ok);
    if (ok) {
        std::printf("kind=%u\nformat_tag=%u\nchannels=%u\nsample_rate=%u\nbits_per_sample=%u\n", info.kind,
                    info.formatTag, info.channels, info.sampleRate, info.bitsPerSample);
        std::printf("length_ms=%u\nbit_rate=%u\ncopy_bit=%u\norig_bit=%u\n", info.lengthMs, info.bitRate, info.copyBit,
                    info.origBit);
        char text[MEDIA_TEXT_BYTES];
        if (FormatMediaText(path, text)) PrintText("format_text", text);
        if (FormatMediaLine(&info, MEDIA_LINE_FIRST, text)) PrintText("format_line_first", text);
        if (FormatMediaLine(&info, MEDIA_LINE_SECOND, text)) PrintText("format_line_second", text);
    }
    int kind = 0, container = 0;
    uint32_t ms = 0;
    int r = GetPlayKind(path, &kind);
    std::printf("play_kind_result=%d\nplay_kind=%d\n", r, kind);
    r = GetMediaLength(path, &ms);
    std::printf("media_length_result=%d\nmedia_length_ms=%u\n", r, ms);
    r = GetTitleContainer(path, &container);
    std::printf("title_container_result=%d\ntitle_container=%d\n", r, container);
    return ok ? 0 : 1;
}

int Get(const char* path, int field, int source) {
    char buf[TITLE_FIELD_MAX_BYTES];
    std::memset(buf, 0, sizeof buf);
    int found = GetTitleField(path, field, buf, source);
    std::printf("found=%d\n", found);
    if (field == FIELD_CHANNEL_STATUS)
        std::printf("value=%s\n", Escape(buf, CHANNEL_STATUS_LEN).c_str());
    else
        PrintText("value", buf);
    return found ? 0 : 1;
}

// Runs divide or combine with their messages as text on stderr; the success message goes to
// stdout.
int Tool(int argc, char** argv) {
    std::string cmd = argv[1];
    int yes = std::strcmp(argv[argc - 1], "--yes") == 0;
    int args = argc - yes;
    SetToolTextMode(stderr, yes);
    char destination[TOOL_PATH_BYTES] = "";
    int ok = -1;
    if (cmd == "divide" && args == 6) {
        char* end1;
        char* end2;
        unsigned long in = std::strtoul(argv[4], &end1, 10), out = std::strtoul(argv[5], &end2, 10);
        if (*end1 || *end2 || !*argv[4] || !*argv[5]) return 2;
        std::snprintf(destination, sizeof destination, "%s", argv[3]);
        ok = DivideFile(destination, argv[2], uint32_t(in), uint32_t(out));
    } else if (cmd == "combine" && args == 5) {
        std::snprintf(destination, sizeof destination, "%s", argv[4]);
        ok = CombineFiles(destination, argv[2], argv[3]);
    }
    SetToolTextMode(nullptr, 0);
    if (ok < 0) return EXIT_USAGE;
    if (!ok) return ExitForToolFailure(LastToolFailure());
    char text[TOOL_MESSAGE_TEXT_BYTES];
    FormatToolMessage(STR_CREATED, destination, JOIN_SPACE, text);
    std::printf("%s\n", text);
    return 0;
}

// Why a write failed, as the tool prints it.
const char* FailureName(int failure) {
    static const char* const NAMES[] = {"none",    "busy",    "cannot_open", "corrupt",
                                        "too_big", "no_room", "io_error",    "refused"};
    return failure >= 0 && failure <= WRITE_FAILED_REFUSED ? NAMES[failure] : "unknown";
}

int Result(int r) {
    std::printf("result=%d\n", r);
    if (!r) std::printf("failure=%s\n", FailureName(LastTitleWriteFailure()));
    return r ? EXIT_DONE : ExitForWriteFailure(LastTitleWriteFailure());
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // the same bytes as the native tool: "\n" line ends
#else
    // A write past the file-size limit must fail like a full disk, so that the write's undo
    // runs, instead of killing the tool halfway through it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (argc == 2 && std::strcmp(argv[1], "genres") == 0) {
        for (int i = 0; i < GenreNameCount(); i++) std::printf("%d=%s\n", GenreNumberAt(i), GenreNameAt(i));
        return 0;
    }
    if (argc < 3) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    std::string cmd = argv[1];
    const char* path = argv[2];
    int field = argc > 3 ? ParseField(argv[3]) : -1;
    LoadMpegLibraries();
    int rc = 2;
    if (cmd == "probe" && argc == 3) {
        rc = Probe(path);
    } else if (cmd == "get" && field >= 0 && (argc == 4 || argc == 5)) {
        rc = Get(path, field, argc == 5 ? std::atoi(argv[4]) : SOURCE_ID3_FIRST);
    } else if (cmd == "set" && field >= 0 && argc == 5) {
        rc = Result(SetTitleField(path, field, argv[4], 0));
    } else if (cmd == "set-raw" && field >= 0 && argc == 5) {
        char raw[256];
        int n = ParseHex(argv[4], raw, sizeof raw);
        if (n > 0) rc = Result(SetTitleField(path, field, raw, n));
    } else if (cmd == "id3-get" && field >= 0 && field <= FIELD_COMMENT && argc == 4) {
        char text[ID3_TEXT_BYTES + 1];
        int r = ReadId3Field(path, field, text);
        std::printf("tag=%d\n", r);
        PrintText("value", text);
        rc = r ? 0 : 1;
    } else if (cmd == "id3-set" && field >= 0 && field <= FIELD_COMMENT && argc == 5) {
        rc = Result(WriteId3Field(path, field, argv[4]));
    } else if (cmd == "midi-title" && argc == 3) {
        char title[TITLE_BYTES];
        int r = ReadMidiTitle(path, title);
        std::printf("found=%d\n", r);
        PrintText("value", title);
        rc = r ? 0 : 1;
    } else if (cmd == "trailer-status" && argc == 4) {
        char raw[CHANNEL_STATUS_LEN];
        if (ParseHex(argv[3], raw, sizeof raw) == CHANNEL_STATUS_LEN)
            rc = Result(WriteTrailerChannelStatus(path, raw, CHANNEL_STATUS_LEN));
    } else if (cmd == "reduce-trailer" && argc == 3) {
        rc = Result(ReduceTitleTrailer(path));
    } else if (cmd == "divide" || cmd == "combine") {
        rc = Tool(argc, argv);
    }
    if (rc == 2) std::fputs(USAGE, stderr);
    FreeMpegLibraries();
    return rc;
}
