// Record file naming and record standby: every recording goes to "<base><nnn><ext>", the first
// number from the running counter that no file of any extension uses yet, so a recording never
// overwrites another.
#include "deck/record_naming.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/bounded_copy.h"
#include "base/message_box.h"
#include "base/path_names.h"
#include "deck/deck.h"
#include "deck/deck_ui.h"
#include "deck/record_folder.h"
#include "display/face_setters.h"
#include "hardware/device.h"
#include "playback/playback_control.h"
#include "record/record_writer.h"
#include "resources/resource.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace {
enum {
    RECORD_NUMBERS = 1000,        // 000..999
    RECORD_BAR_FULL_MS = 300000,  // position bar's full scale when a recording starts
    RECORD_CHANNELS = 2,
    RECORD_BITS = 16,
    RECORD_FORMAT_MODE = 1,
    DEFAULT_RATE = 44100,
};

const char* const DEFAULT_PREFIX = "S-";
const char* const SHELL_FOLDERS_KEY = "SOFTWARE\\Microsoft\\windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const EXTENSIONS[4] = {".WAV", ".MPA", ".MP2", ".MP3"};  // by RecordFormat

struct NamingModule {
    unsigned recNumber;                      // RecNumber: the number to try next
    char recFilePath[RECORD_NAME_BYTES];     // RecFilePath: the prepared record file
    char recDisplayName[RECORD_NAME_BYTES];  // RecDisplayName: its name and extension
    int unattended;    // a timer prepares the file: nobody may be there to answer the name dialog
    int showFullPath;  // the deck chose the folder itself: the status line names the whole path
};
NamingModule g_naming = {1, "", "", 0, 0};

// A path taken apart the way the system's path splitter does: drive "X:", directory with its
// trailing separator, name, and extension with its dot.
struct PathParts {
    char drive[3];
    char dir[RECORD_NAME_BYTES];
    char name[RECORD_NAME_BYTES];
    char ext[RECORD_NAME_BYTES];
};

void CopyText(char* out, const char* begin, size_t length) { CopyBounded(out, RECORD_NAME_BYTES, begin, length); }

void SplitPath(const char* path, PathParts* partsOut) {
    *partsOut = PathParts{};
    const char* p = path;
    if (p[0] && p[1] == ':') {
        CopyText(partsOut->drive, p, 2);
        p += 2;
    }
    const char* nameStart = FileNameOf(p);
    CopyText(partsOut->dir, p, (size_t)(nameStart - p));
    const char* nameEnd = ExtensionOf(nameStart);
    CopyText(partsOut->name, nameStart, (size_t)(nameEnd - nameStart));
    CopyText(partsOut->ext, nameEnd, std::strlen(nameEnd));
}

int EqualNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower((unsigned char)*a) != std::tolower((unsigned char)*b)) return 0;
    return *a == *b;
}

// 0 when the joined path does not fit (out then holds a cut-off path that must not be used).
int JoinPath(char* out, const char* a, const char* b, const char* c, const char* d) {
    const char* pieces[4] = {a, b, c, d};
    size_t used = 0;
    for (const char* piece : pieces) {
        size_t length = std::strlen(piece);
        if (used + length >= RECORD_NAME_BYTES) {
            out[used] = 0;
            return 0;
        }
        std::memmove(out + used, piece, length);
        used += length;
    }
    out[used] = 0;
    return 1;
}

void ShowNamingMessage(int stringId) {
    EnablePlaylistWindow(0);
    ShowDeckMessage(stringId, nullptr, JOIN_NONE, MSGBOX_OK | MSGBOX_FOREGROUND);
    EnablePlaylistWindow(1);
}

void ShowNamingText(const char* english, const char* japanese) {
    EnablePlaylistWindow(0);
    ShowDeckText(english, japanese, 1);
    EnablePlaylistWindow(1);
}

uint32_t BitrateFor(uint32_t format) {
    const EngineSettings& s = Settings();
    switch (format) {
    case 1: return s.mpegBitrate;
    case 2: return s.mp2Bitrate;
    case 3: return s.mp3Bitrate;
    default: return 0;
    }
}

// Input selection and the digital input's lock and rate, read once as standby begins.
void ReadInputForStandby() {
    DeckVars& v = Deck();
    uint32_t inputStatus = 0, lockCode = 0;
    int opened = OpenDevice(DEVICE_NUMBER);
    int ok = opened && ReadRegister(REG_INPUT_SELECT, &inputStatus) && ReadRegister(REG_INPUT_LOCK, &lockCode);
    if (opened) CloseDevice();
    if (ok) {
        Settings().recordInput = (uint32_t)InputSelFromStatus(inputStatus);
        SetRecordRate(RateFromLockCode(lockCode));
        v.dinLock = IsLockCode(lockCode);
    } else {
        SetRecordRate(DEFAULT_RATE);
        v.dinLock = 0;
    }
    ShowInputSelect(Settings().recordInput);
    ShowRate(GetRecordRate(), 1);
}

// The first free number from RecNumber on; 0 when every number of the base is taken.
int FindFreeNumber(const char* base) {
    for (int tries = 0; tries < RECORD_NUMBERS; ++tries) {
        if (!NumberedFileExists(base, g_naming.recNumber)) return 1;
        g_naming.recNumber = (g_naming.recNumber + 1) % RECORD_NUMBERS;
    }
    return 0;
}

// The one way out once the deck has turned to the recorder and standby cannot be entered: the
// prepared name is dropped, the recorder holds no file, and the deck is the player again with
// the track it had (or none).
int AbandonStandby(int stateBefore) {
    DeckVars& v = Deck();
    CloseRecordFile(1);
    g_naming.recFilePath[0] = 0;
    g_naming.recDisplayName[0] = 0;
    v.deckSide = DECK_SIDE_PLAYER;
    ShowRecordFormat((uint32_t)v.trackFormat, 0);
    ShowRate((uint32_t)v.trackRate, 0);
    if (stateBefore == Stopped) CueCurrentTrack();
    return 0;
}

// Every number of the base has a file: refusing keeps them all, where taking the number the
// search ended on would overwrite a recording.
const char ALL_NUMBERS_TAKEN_TEXT[] =
    "All record file numbers 000 to 999 of this name are in use.\nChoose another record file name.";
const char ALL_NUMBERS_TAKEN_TEXT_JA[] =
    "この名前の録音番号 000〜999 はすべて使われています。\n別の録音ファイル名を選んでください。";
}  // namespace

unsigned GetRecordNumber() { return g_naming.recNumber; }
const char* RecordDisplayName() { return g_naming.recDisplayName; }
int RecordFileIsPrepared() {
    char path[RECORD_PATH_BYTES] = "";
    GetRecordTarget(path);
    return path[0] != 0;
}

void ResetRecordNamingForTest() { g_naming = NamingModule{1, "", "", 0, 0}; }

void MakeDefaultBase(char* pathOut, const char* prefix) {
    char documents[RECORD_NAME_BYTES] = "";
    RegistryKey key = nullptr;
    if (RegistryOpenKey(SHELL_FOLDERS_KEY, REGISTRY_READ, &key)) {
        RegistryReadString(key, "Personal", documents, sizeof documents);
        RegistryCloseKey(key);
    }
    if (documents[0]) {
        PathParts p;
        SplitPath(documents, &p);
        if (std::strcmp(p.dir, "\\") == 0 && !p.name[0]) {
            JoinPath(pathOut, p.drive, "\\", prefix, "");
            return;
        }
        char folder[RECORD_NAME_BYTES];
        JoinPath(folder, p.drive, p.dir, p.name, "");
        if (FolderExists(folder)) {
            JoinPath(pathOut, folder, "\\", prefix, "");
            return;
        }
    }
    // The program's own folder, from its command line (quoted or not).
    char line[RECORD_NAME_BYTES] = "";
    ProgramCommandLine(line, sizeof line);
    char program[RECORD_NAME_BYTES];
    if (line[0] == '"') {
        const char* end = std::strchr(line + 1, '"');
        CopyText(program, line + 1, end ? (size_t)(end - line - 1) : std::strlen(line + 1));
    } else {
        CopyText(program, line, std::strlen(line));
    }
    PathParts p;
    SplitPath(program, &p);
    JoinPath(pathOut, p.drive, p.dir, prefix, "");
}

int IsUsableFolder(const char* path) {
    PathParts p;
    SplitPath(path, &p);
    if (!p.drive[0]) return 0;
    size_t dirLength = std::strlen(p.dir);
    if (dirLength > 2) {
        char folder[RECORD_NAME_BYTES];
        JoinPath(folder, p.drive, p.dir, "", "");
        folder[std::strlen(folder) - 1] = 0;  // without the final separator
        return FolderExists(folder);
    }
    // The root of a drive: the drive must be one that can take files.
    char root[4] = {p.drive[0], ':', '\\', 0};
    int kind = DriveKindOf(root);
    return kind != DRIVE_KIND_UNKNOWN && kind != DRIVE_KIND_NO_ROOT && kind != DRIVE_KIND_CDROM;
}

void SetBaseFromChosenName(const char* path) {
    EngineSettings& s = Settings();
    PathParts old, chosen;
    SplitPath(s.recFileName, &old);
    SplitPath(path, &chosen);
    size_t nameLength = std::strlen(chosen.name);
    const char* tail = chosen.name + (nameLength >= 3 ? nameLength - 3 : 0);
    if (nameLength >= 3 && std::isdigit((unsigned char)tail[0]) && std::isdigit((unsigned char)tail[1]) &&
        std::isdigit((unsigned char)tail[2])) {
        g_naming.recNumber = (unsigned)((tail[0] - '0') * 100 + (tail[1] - '0') * 10 + (tail[2] - '0'));
        chosen.name[nameLength - 3] = 0;
    } else if (!EqualNoCase(chosen.name, old.name)) {
        g_naming.recNumber = 1;
    }
    JoinPath(s.recFileName, chosen.drive, chosen.dir, chosen.name, "");
    if (EqualNoCase(chosen.ext, ".wav"))
        s.recordFormat = RECORD_FORMAT_PCM;
    else if (EqualNoCase(chosen.ext, ".mpg") || EqualNoCase(chosen.ext, ".mpa"))
        s.recordFormat = RECORD_FORMAT_MP1;
    else if (EqualNoCase(chosen.ext, ".mp2"))
        s.recordFormat = RECORD_FORMAT_MP2;
    else if (EqualNoCase(chosen.ext, ".mp3"))
        s.recordFormat = RECORD_FORMAT_MP3;
}

int ChooseRecordFile() {
    char name[RECORD_DIALOG_BYTES] = "";
    if (std::snprintf(name, sizeof name, "%s", Settings().recFileName) >= (int)sizeof name) name[0] = 0;
    int wasStandby = Deck().deckState == RecStandby;
    if (wasStandby) StopKey();
    // A cancelled dialog leaves the old base in the buffer, which is taken again unchanged.
    RunRecordNameDialog(name);
    SetBaseFromChosenName(name);
    if (wasStandby) EnterRecStandby();
    return 1;
}

int EnterUnattendedStandby() {
    g_naming.unattended = 1;
    int result = EnterRecStandby();
    g_naming.unattended = 0;
    return result;
}

int EnterRecStandby() {
    DeckVars& v = Deck();
    EngineSettings& s = Settings();
    int index = WAVE_DEVICE_NONE, count = 0;
    FindWaveDevice(0, &index, &count);
    if (index == WAVE_DEVICE_NONE) {
        ShowNamingMessage(STR_NEED_DEVICE);
        return 0;
    }
    if (s.recNoticePending == 1) {
        ShowNamingMessage(STR_MPEG_CPU_NOTICE);
        s.recNoticePending = 0;
        return 0;
    }
    if (!IsUsableFolder(s.recFileName)) s.recFileName[0] = 0;
    g_naming.showFullPath = 0;
    if (!s.recFileName[0]) {
        MakeDefaultBase(s.recFileName, DEFAULT_PREFIX);
        // A timer may start a recording on a first run with nobody at the screen: the name
        // dialog would hold the recording until someone answers it. The recording goes into the
        // default folder (the user's documents, else the program's folder) instead, and the status
        // line names the whole path so the user finds it; the user's own Record asks as before.
        if (g_naming.unattended)
            g_naming.showFullPath = 1;
        else
            ChooseRecordFile();
    }
    int stateBefore = v.deckState;
    if (stateBefore != NoTrack && stateBefore != Stopped) return 1;
    if (stateBefore == Stopped) CloseTrack();

    v.deckSide = DECK_SIDE_RECORDER;
    SetPositionBar(0);
    uint32_t format = s.recordFormat <= RECORD_FORMAT_MP3 ? s.recordFormat : (uint32_t)RECORD_FORMAT_PCM;
    ShowRecordFormat(format, 1);
    ReadInputForStandby();

    if (!FindFreeNumber(s.recFileName)) {
        ShowNamingText(ALL_NUMBERS_TAKEN_TEXT, ALL_NUMBERS_TAKEN_TEXT_JA);
        return AbandonStandby(stateBefore);
    }
    char number[8];
    std::snprintf(number, sizeof number, "%03u", g_naming.recNumber);
    if (!JoinPath(g_naming.recFilePath, s.recFileName, number, EXTENSIONS[format], "")) {
        ShowNamingMessage(STR_PATH_TOO_LONG);
        return AbandonStandby(stateBefore);
    }
    PathParts p;
    SplitPath(g_naming.recFilePath, &p);
    if (g_naming.showFullPath)
        CopyBoundedString(g_naming.recDisplayName, sizeof g_naming.recDisplayName, g_naming.recFilePath);
    else
        JoinPath(g_naming.recDisplayName, p.name, p.ext, "", "");

    s.recordChannel = RECORD_CHANNELS;
    s.recordBps = RECORD_BITS;
    s.recordFrequency = GetRecordRate();
    RecordFormat record{};
    record.kind = (uint16_t)format;
    record.mode = RECORD_FORMAT_MODE;
    record.channels = RECORD_CHANNELS;
    record.sampleRate = GetRecordRate();
    record.bits = RECORD_BITS;
    record.bitrateKbps = BitrateFor(format);
    // A refused format (no encoder, or one it cannot make) and a target the recorder will not
    // take both leave through the same door as a capture device that will not start.
    if (!SetRecordFormat(record) || !SetRecordTarget(g_naming.recFilePath)) return AbandonStandby(stateBefore);
    v.trackLength = RECORD_BAR_FULL_MS;
    TransportOp(OP_STANDBY);
    if (v.deckState != RecStandby) return AbandonStandby(stateBefore);
    char status[RECORD_NAME_BYTES + 16];
    std::snprintf(status, sizeof status, STATUS_REC_PAUSE, g_naming.recDisplayName);
    ShowTickerText(status);
    SetTickerMode(TICKER_FIXED);
    return 1;
}
