// The remote-control channel's language, shared by the deck and qdctl.exe: a request names one
// command with its arguments, a reply says whether the deck did it, refused it (in its own
// words) or could not read it, and carries the deck's state afterwards. Both are short versioned
// texts of lines; everything here is plain data so it is tested and fuzzed natively.
//
//   request                    reply
//   QDCTL 1                    QDCTL 1
//   play                       ok | refused | bad
//   3                          key=value      (message, state, track, ... one per line)
//
// A request carries the highest version its sender speaks; the deck reads requests up to its own
// version and answers in the request's version, so a newer qdctl keeps working with an older deck
// for the commands both know.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum {
    REMOTE_VERSION = 1,
    REMOTE_MAX_REQUEST_BYTES = 65536,  // larger requests are refused unread
    REMOTE_MAX_REPLY_BYTES = 16384,
    REMOTE_MAX_PATHS = 200,            // files per open or add; more go in further add calls
    REMOTE_PATH_BYTES = 260,           // the deck's path limit, terminator included
    REMOTE_MAX_TRACK = 999,            // the playlist's limit
    REMOTE_MAX_SEEK_SECONDS = 86400,
};

// WM_COPYDATA dwData of a request to the deck and of the deck's reply to the caller. Distinct from
// the second start's file hand-off, which only ever uses 1 and 0.
const unsigned long REMOTE_REQUEST_TAG = 0x5144434CUL;  // "QDCL"
const unsigned long REMOTE_REPLY_TAG = 0x51444352UL;    // "QDCR"

enum RemoteVerb {
    VERB_NONE = 0,
    VERB_STATUS,
    VERB_PLAY,    // number: track, 0 = the Play key
    VERB_STOP,
    VERB_PAUSE,
    VERB_RECORD,  // number: 1 also starts writing
    VERB_NEXT,
    VERB_PREV,
    VERB_FF,      // number: seconds
    VERB_REW,     // number: seconds
    VERB_OPEN,    // paths: a new list
    VERB_ADD,     // paths: appended
    VERB_INPUT,   // number: 1 IN1, 0 IN2 (the deck's InputSel)
    VERB_REPEAT,  // number: 0 off, 1 one, 2 all
    VERB_QUIT,
};

struct RemoteRequest {
    int version = REMOTE_VERSION;
    int verb = VERB_NONE;
    int number = 0;                  // the verb's one value (see RemoteVerb)
    std::vector<std::string> paths;  // open and add
};

// Why a request was not read. The text of each is RemoteParseErrorText.
enum RemoteParseResult {
    PARSE_OK = 0,
    PARSE_TOO_LARGE,
    PARSE_BAD_HEADER,
    PARSE_BAD_VERSION,  // newer than this deck
    PARSE_UNKNOWN_COMMAND,
    PARSE_BAD_ARGUMENTS,
};
const char* RemoteParseErrorText(int parseResult);

// Reads a request (not zero-terminated; a trailing zero byte is allowed). PARSE_OK fills requestOut.
int ParseRemoteRequest(const char* data, size_t bytes, RemoteRequest* requestOut);
std::string FormatRemoteRequest(const RemoteRequest& request);

// The deck's state as a reply reports it.
struct RemoteStatus {
    int32_t state = 0;    // the shown state: DeckState values, 10 auto recording armed
    int32_t track = 0;    // CurrentTrack
    int32_t count = 0;    // playlist entries
    uint32_t positionMs = 0;
    std::string title;       // of the cued track
    std::string file;        // the cued track's path
    std::string recordFile;  // the prepared record file, empty when none
    uint32_t recordedMs = 0;
    int32_t format = -1;  // media kind (0 WAVE, 1..3 MPEG layer, 5 MIDI), on the recorder side the record format; -1 none
    uint32_t rate = 0;    // Hz
    int32_t input = 1;    // 1 IN1, 0 IN2
    int32_t repeat = 0;   // 0 off, 1 one, 2 all
    int32_t lock = 0;     // the digital input is locked
};

enum RemoteResult { REPLY_OK = 0, REPLY_REFUSED = 1, REPLY_BAD = 2 };

struct RemoteReply {
    int version = REMOTE_VERSION;
    int result = REPLY_OK;
    std::string message;  // why it was refused or not read, in the deck's words
    int messageId = 0;    // the string table id of that message, 0 when the text is the deck's own
    int hasStatus = 0;
    RemoteStatus status;
};

std::string FormatRemoteReply(const RemoteReply& reply);
// 1 when data is a reply of a version this side reads.
int ParseRemoteReply(const char* data, size_t bytes, RemoteReply* replyOut);

// State names: the word `wait` takes and JSON shows ("playing"), and the word a person reads
// ("Playing"). Unknown values give "".
const char* RemoteStateToken(int32_t state);
const char* RemoteStateLabel(int32_t state);
// The state of a token, or -1. "idle" (nothing playing or recording) is REMOTE_STATE_IDLE.
enum { REMOTE_STATE_IDLE = 100 };
int RemoteStateFromToken(const std::string& token);
// Whether a shown state satisfies a wait for `wanted` (a state or REMOTE_STATE_IDLE).
int RemoteStateMatches(int32_t state, int wanted);

// One line for a person: Playing #3/12 001:42 "Title" 44 kHz MP3, Recording S-014.WAV 012:05.
std::string FormatStatusLine(const RemoteStatus& status);
// A JSON object with fixed keys; text fields must be UTF-8.
std::string FormatStatusJson(const RemoteStatus& status);

// qdctl's command line, after the program name.
struct QdctlInvocation {
    RemoteRequest request;    // what goes to the deck (wait sends status)
    int json = 0;             // status --json
    int everySeconds = 0;     // status --every S: a line every S seconds until the deck goes
    int waitState = -1;       // wait STATE: a state or REMOTE_STATE_IDLE
    int timeoutSeconds = -1;  // wait/quit --timeout S; -1 when not given
    std::string error;        // what is wrong with the command line
};
// 1 when the arguments make a command; 0 with invocationOut->error set.
int ParseQdctlArguments(const std::vector<std::string>& args, QdctlInvocation* invocationOut);
extern const char QDCTL_USAGE[];
