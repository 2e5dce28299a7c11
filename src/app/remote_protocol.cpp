// Requests and replies of the remote-control channel (see remote_protocol.h). The deck reads
// whatever a caller sends, so the request reader checks every size, count and byte before a
// value is taken; the reply reader is as careful, since qdctl reads whatever answers it.
#include "app/remote_protocol.h"
#include "base/path_names.h"
#include "display/shown_states.h"

#include <cstdio>
#include <cstring>

namespace {
const char MAGIC[] = "QDCTL";

enum ArgKind {
    ARGS_NONE,     // no argument
    ARGS_TRACK,    // optional track number
    ARGS_SECONDS,  // one number of seconds
    ARGS_RECORD,   // optional "--start"
    ARGS_PATHS,    // 1..REMOTE_MAX_PATHS paths
    ARGS_INPUT,    // in1 | in2
    ARGS_REPEAT,   // off | one | all
};

struct VerbRow {
    const char* name;  // the word on the wire and on qdctl's command line
    int verb;          // RemoteVerb
    int args;          // ArgKind
};
const VerbRow VERBS[] = {
  // name      verb           args
    {"status", VERB_STATUS, ARGS_NONE   },
    {"play",   VERB_PLAY,   ARGS_TRACK  },
    {"stop",   VERB_STOP,   ARGS_NONE   },
    {"pause",  VERB_PAUSE,  ARGS_NONE   },
    {"record", VERB_RECORD, ARGS_RECORD },
    {"next",   VERB_NEXT,   ARGS_NONE   },
    {"prev",   VERB_PREV,   ARGS_NONE   },
    {"ff",     VERB_FF,     ARGS_SECONDS},
    {"rew",    VERB_REW,    ARGS_SECONDS},
    {"open",   VERB_OPEN,   ARGS_PATHS  },
    {"add",    VERB_ADD,    ARGS_PATHS  },
    {"input",  VERB_INPUT,  ARGS_INPUT  },
    {"repeat", VERB_REPEAT, ARGS_REPEAT },
    {"quit",   VERB_QUIT,   ARGS_NONE   },
};

struct WordValue {
    const char* word;
    int value;
};
const WordValue INPUT_WORDS[] = {
    {"in1", 1},
    {"in2", 0},
};
const WordValue REPEAT_WORDS[] = {
    {"off", 0},
    {"one", 1},
    {"all", 2},
};
// Media kinds and record formats as status shows them.
const WordValue FORMAT_WORDS[] = {
    {"WAV",  0},
    {"MP1",  1},
    {"MP2",  2},
    {"MP3",  3},
    {"MPEG", 4},
    {"MIDI", 5},
};

struct StateRow {
    int32_t state;
    const char* token;  // wait's word and JSON's value
    const char* label;  // status line
};
const StateRow STATES[] = {
    {NoTrack,       "notrack",    "No track"   },
    {Stopped,       "stopped",    "Stopped"    },
    {Playing,       "playing",    "Playing"    },
    {Paused,        "paused",     "Paused"     },
    {Recording,     "recording",  "Recording"  },
    {RecPause,      "recpause",   "Rec pause"  },
    {RecStandby,    "standby",    "Rec standby"},
    {Searching,     "searching",  "Searching"  },
    {TrackSpace,    "trackspace", "Track space"},
    {RecAutoActive, "autorec",    "Auto rec"   },
    {Editing,       "editing",    "Editing"    },
};

const char* const PARSE_ERRORS[] = {
    "",
    "The request is too large.",
    "The request is not a deck request.",
    "The deck is older than this qdctl.",
    "The deck does not know this command.",
    "The command's arguments are wrong.",
};

template <size_t N>
int WordToValue(const WordValue (&table)[N], const std::string& word, int* valueOut) {
    for (const WordValue& w : table)
        if (word == w.word) {
            *valueOut = w.value;
            return 1;
        }
    return 0;
}
template <size_t N>
const char* ValueToWord(const WordValue (&table)[N], int value) {
    for (const WordValue& w : table)
        if (w.value == value) return w.word;
    return "";
}

const VerbRow* FindVerb(const std::string& name) {
    for (const VerbRow& row : VERBS)
        if (name == row.name) return &row;
    return nullptr;
}

// A decimal number of 1..max without sign, blanks or leading zeros' tricks (at most 9 digits).
int ReadCount(const std::string& text, int max, int* valueOut) {
    if (text.empty() || text.size() > 9) return 0;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > max) return 0;
    *valueOut = (int)value;
    return 1;
}

int IsPlainText(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return 0;
    return 1;
}

// Takes the arguments of a verb into request; 0 when they do not fit it.
int TakeArguments(int kind, const std::vector<std::string>& args, RemoteRequest* request) {
    size_t n = args.size();
    switch (kind) {
    case ARGS_NONE: return n == 0;
    case ARGS_TRACK:
        if (n == 0) return 1;
        return n == 1 && ReadCount(args[0], REMOTE_MAX_TRACK, &request->number);
    case ARGS_SECONDS: return n == 1 && ReadCount(args[0], REMOTE_MAX_SEEK_SECONDS, &request->number);
    case ARGS_RECORD:
        if (n == 0) return 1;
        request->number = 1;
        return n == 1 && args[0] == "--start";
    case ARGS_INPUT: return n == 1 && WordToValue(INPUT_WORDS, args[0], &request->number);
    case ARGS_REPEAT: return n == 1 && WordToValue(REPEAT_WORDS, args[0], &request->number);
    case ARGS_PATHS:
        if (n < 1 || n > REMOTE_MAX_PATHS) return 0;
        for (const std::string& p : args)
            if (p.empty() || p.size() >= REMOTE_PATH_BYTES || !IsPlainText(p)) return 0;
        request->paths = args;
        return 1;
    }
    return 0;
}

// Splits text into lines at '\n'; the text must end with one. 0 on a zero byte or an
// unterminated last line.
int SplitLines(const char* data, size_t bytes, std::vector<std::string>* linesOut) {
    if (bytes > 0 && data[bytes - 1] == 0) --bytes;  // a sender may send the terminator too
    if (bytes == 0 || data[bytes - 1] != '\n') return 0;
    size_t start = 0;
    for (size_t i = 0; i < bytes; ++i) {
        if (data[i] == 0) return 0;
        if (data[i] == '\n') {
            linesOut->emplace_back(data + start, i - start);
            start = i + 1;
        }
    }
    return 1;
}

// "QDCTL <version>" with a version of 1..9999; 0 when the line is not that.
int ReadHeader(const std::string& line, int* versionOut) {
    size_t magic = sizeof MAGIC - 1;
    if (line.size() < magic + 2 || line.compare(0, magic, MAGIC) != 0 || line[magic] != ' ') return 0;
    return ReadCount(line.substr(magic + 1), 9999, versionOut);
}

// Reply values are one line each: a backslash and a line end are escaped, other control bytes
// become blanks.
std::string Escape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c < 0x20 || c == 0x7F)
            out += ' ';
        else
            out += (char)c;
    }
    return out;
}
std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = (unsigned char)text[i];
        if (c == '\\' && i + 1 < text.size()) {
            c = (unsigned char)text[++i];
            if (c == 'n') {
                out += '\n';
                continue;
            }
        }
        out += c < 0x20 || c == 0x7F ? ' ' : (char)c;  // as Escape would have sent it
    }
    return out;
}

void AddField(std::string* out, const char* key, const std::string& value) {
    *out += key;
    *out += '=';
    *out += Escape(value);
    *out += '\n';
}
void AddNumber(std::string* out, const char* key, long long value) { AddField(out, key, std::to_string(value)); }

// A reply's number field: an optional minus and at most 10 digits, else 0.
long long ReadNumber(const std::string& text) {
    size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
    if (text.size() == i || text.size() - i > 10) return 0;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        value = value * 10 + (text[i] - '0');
    }
    return text[0] == '-' ? -value : value;
}

const char* const RESULT_WORDS[] = {"ok", "refused", "bad"};

// Takes a status field; 0 when the key is none of them.
int TakeStatusField(const std::string& key, const std::string& value, RemoteStatus* s) {
    int word = 0;
    if (key == "state") s->state = RemoteStateFromToken(value);
    else if (key == "track") s->track = (int32_t)ReadNumber(value);
    else if (key == "count") s->count = (int32_t)ReadNumber(value);
    else if (key == "position_ms") s->positionMs = (uint32_t)ReadNumber(value);
    else if (key == "title") s->title = value;
    else if (key == "file") s->file = value;
    else if (key == "record_file") s->recordFile = value;
    else if (key == "recorded_ms") s->recordedMs = (uint32_t)ReadNumber(value);
    else if (key == "format") s->format = WordToValue(FORMAT_WORDS, value, &word) ? word : -1;
    else if (key == "rate") s->rate = (uint32_t)ReadNumber(value);
    else if (key == "input") s->input = WordToValue(INPUT_WORDS, value, &word) ? word : 1;
    else if (key == "repeat") s->repeat = WordToValue(REPEAT_WORDS, value, &word) ? word : 0;
    else if (key == "lock") s->lock = ReadNumber(value) != 0;
    else return 0;
    return 1;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

std::string MinutesSeconds(uint32_t ms) {
    char text[32];
    uint32_t seconds = ms / 1000;
    std::snprintf(text, sizeof text, "%03u:%02u", seconds / 60, seconds % 60);
    return text;
}

int IsRecorderState(int32_t state) {
    return state == Recording || state == RecPause || state == RecStandby || state == RecAutoActive;
}
}  // namespace

const char* RemoteParseErrorText(int parseResult) {
    if (parseResult < 0 || parseResult >= (int)(sizeof PARSE_ERRORS / sizeof PARSE_ERRORS[0])) return "";
    return PARSE_ERRORS[parseResult];
}

int ParseRemoteRequest(const char* data, size_t bytes, RemoteRequest* requestOut) {
    *requestOut = RemoteRequest();
    if (bytes > REMOTE_MAX_REQUEST_BYTES) return PARSE_TOO_LARGE;
    std::vector<std::string> lines;
    int version = 0;
    if (!data || !SplitLines(data, bytes, &lines) || lines.size() < 2 || !ReadHeader(lines[0], &version))
        return PARSE_BAD_HEADER;
    if (version > REMOTE_VERSION) return PARSE_BAD_VERSION;
    const VerbRow* verb = FindVerb(lines[1]);
    if (!verb) return PARSE_UNKNOWN_COMMAND;
    RemoteRequest request;
    request.version = version;
    request.verb = verb->verb;
    std::vector<std::string> args(lines.begin() + 2, lines.end());
    if (!TakeArguments(verb->args, args, &request)) return PARSE_BAD_ARGUMENTS;
    *requestOut = request;
    return PARSE_OK;
}

std::string FormatRemoteRequest(const RemoteRequest& request) {
    std::string out = std::string(MAGIC) + " " + std::to_string(request.version) + "\n";
    const VerbRow* row = nullptr;
    for (const VerbRow& r : VERBS)
        if (r.verb == request.verb) row = &r;
    if (!row) return out;
    out += row->name;
    out += '\n';
    switch (row->args) {
    case ARGS_TRACK:
    case ARGS_SECONDS:
        if (request.number > 0) out += std::to_string(request.number) + "\n";
        break;
    case ARGS_RECORD:
        if (request.number) out += "--start\n";
        break;
    case ARGS_INPUT: out += std::string(ValueToWord(INPUT_WORDS, request.number)) + "\n"; break;
    case ARGS_REPEAT: out += std::string(ValueToWord(REPEAT_WORDS, request.number)) + "\n"; break;
    case ARGS_PATHS:
        for (const std::string& p : request.paths) out += p + "\n";
        break;
    }
    return out;
}

std::string FormatRemoteReply(const RemoteReply& reply) {
    std::string out = std::string(MAGIC) + " " + std::to_string(reply.version) + "\n";
    out += RESULT_WORDS[reply.result >= REPLY_OK && reply.result <= REPLY_BAD ? reply.result : REPLY_BAD];
    out += '\n';
    if (!reply.message.empty()) AddField(&out, "message", reply.message);
    if (reply.messageId) AddNumber(&out, "message_id", reply.messageId);
    if (!reply.hasStatus) return out;
    const RemoteStatus& s = reply.status;
    AddField(&out, "state", RemoteStateToken(s.state));
    AddNumber(&out, "track", s.track);
    AddNumber(&out, "count", s.count);
    AddNumber(&out, "position_ms", s.positionMs);
    AddField(&out, "title", s.title);
    AddField(&out, "file", s.file);
    AddField(&out, "record_file", s.recordFile);
    AddNumber(&out, "recorded_ms", s.recordedMs);
    AddField(&out, "format", ValueToWord(FORMAT_WORDS, s.format));
    AddNumber(&out, "rate", s.rate);
    AddField(&out, "input", ValueToWord(INPUT_WORDS, s.input));
    AddField(&out, "repeat", ValueToWord(REPEAT_WORDS, s.repeat));
    AddNumber(&out, "lock", s.lock);
    return out;
}

int ParseRemoteReply(const char* data, size_t bytes, RemoteReply* replyOut) {
    *replyOut = RemoteReply();
    std::vector<std::string> lines;
    int version = 0;
    if (!data || bytes > REMOTE_MAX_REPLY_BYTES || !SplitLines(data, bytes, &lines) || lines.size() < 2 ||
        !ReadHeader(lines[0], &version) || version > REMOTE_VERSION)
        return 0;
    RemoteReply reply;
    reply.version = version;
    reply.result = -1;
    for (int r = REPLY_OK; r <= REPLY_BAD; ++r)
        if (lines[1] == RESULT_WORDS[r]) reply.result = r;
    if (reply.result < 0) return 0;
    for (size_t i = 2; i < lines.size(); ++i) {
        size_t eq = lines[i].find('=');
        if (eq == std::string::npos) continue;  // later versions may add other kinds of line
        std::string key = lines[i].substr(0, eq), value = Unescape(lines[i].substr(eq + 1));
        if (key == "message")
            reply.message = value;
        else if (key == "message_id")
            reply.messageId = (int)ReadNumber(value);
        else if (TakeStatusField(key, value, &reply.status))
            reply.hasStatus = 1;
    }
    *replyOut = reply;
    return 1;
}

const char* RemoteStateToken(int32_t state) {
    for (const StateRow& row : STATES)
        if (row.state == state) return row.token;
    return "";
}

const char* RemoteStateLabel(int32_t state) {
    for (const StateRow& row : STATES)
        if (row.state == state) return row.label;
    return "";
}

int RemoteStateFromToken(const std::string& token) {
    if (token == "idle") return REMOTE_STATE_IDLE;
    for (const StateRow& row : STATES)
        if (token == row.token) return row.state;
    return -1;
}

int RemoteStateMatches(int32_t state, int wanted) {
    if (wanted == REMOTE_STATE_IDLE) return state == NoTrack || state == Stopped;
    return state == wanted;
}

std::string FormatStatusLine(const RemoteStatus& s) {
    std::string line = RemoteStateLabel(s.state);
    if (IsRecorderState(s.state)) {
        line += std::string(" ") + FileNameOf(s.recordFile.c_str()) + " " + MinutesSeconds(s.recordedMs);
        return line;
    }
    line += " #" + std::to_string(s.state == NoTrack ? 0 : s.track) + "/" + std::to_string(s.count);
    if (s.state == NoTrack) return line;
    line += " " + MinutesSeconds(s.positionMs) + " \"" + s.title + "\"";
    if (s.rate) line += " " + std::to_string(s.rate / 1000) + " kHz";
    const char* format = ValueToWord(FORMAT_WORDS, s.format);
    if (*format) line += std::string(" ") + format;
    return line;
}

std::string FormatStatusJson(const RemoteStatus& s) {
    std::string out = "{";
    out += "\"state\":" + JsonString(RemoteStateToken(s.state));
    out += ",\"track\":" + std::to_string(s.track);
    out += ",\"count\":" + std::to_string(s.count);
    out += ",\"position_ms\":" + std::to_string(s.positionMs);
    out += ",\"title\":" + JsonString(s.title);
    out += ",\"file\":" + JsonString(s.file);
    out += ",\"record_file\":" + JsonString(s.recordFile);
    out += ",\"recorded_ms\":" + std::to_string(s.recordedMs);
    out += ",\"format\":" + JsonString(ValueToWord(FORMAT_WORDS, s.format));
    out += ",\"rate\":" + std::to_string(s.rate);
    out += ",\"input\":" + JsonString(ValueToWord(INPUT_WORDS, s.input));
    out += ",\"repeat\":" + JsonString(ValueToWord(REPEAT_WORDS, s.repeat));
    out += std::string(",\"lock\":") + (s.lock ? "true" : "false");
    return out + "}";
}

const char QDCTL_USAGE[] =
    "usage: qdctl COMMAND [ARGUMENTS]\n"
    "  status [--json] [--every SECONDS]   what the deck is doing\n"
    "  play [N]                            Play, or play track N of the list\n"
    "  stop | pause | next | prev\n"
    "  record [--start]                    record standby; --start also starts writing\n"
    "  ff SECONDS | rew SECONDS            move in the cued track\n"
    "  open FILE...                        a new list of these files\n"
    "  add FILE...                         append to the list\n"
    "  input in1|in2\n"
    "  repeat off|one|all\n"
    "  wait STATE [--timeout SECONDS]      until the deck is in STATE (playing, stopped, recording,\n"
    "                                      standby, paused, recpause, notrack, idle, ...)\n"
    "  quit [--timeout SECONDS]            close the deck\n"
    "exit codes: 0 done, 1 refused by the deck, 2 usage, 3 no deck running\n";

int ParseQdctlArguments(const std::vector<std::string>& args, QdctlInvocation* inv) {
    *inv = QdctlInvocation();
    if (args.empty()) {
        inv->error = "no command given";
        return 0;
    }
    const std::string& name = args[0];
    std::vector<std::string> rest;
    // qdctl's own options; everything else is the command's.
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        int* numberOption = a == "--timeout" ? &inv->timeoutSeconds : a == "--every" ? &inv->everySeconds : nullptr;
        int isOpenOrAdd = name == "open" || name == "add";
        if (!isOpenOrAdd && numberOption) {
            if (i + 1 >= args.size() || !ReadCount(args[i + 1], REMOTE_MAX_SEEK_SECONDS, numberOption)) {
                inv->error = a + " needs a number of seconds";
                return 0;
            }
            ++i;
        } else if (!isOpenOrAdd && a == "--json") {
            inv->json = 1;
        } else {
            rest.push_back(a);
        }
    }
    int isStatus = name == "status", isWait = name == "wait";
    if ((inv->json || inv->everySeconds) && !isStatus) {
        inv->error = "--json and --every go with status";
        return 0;
    }
    if (inv->timeoutSeconds >= 0 && !isWait && name != "quit") {
        inv->error = "--timeout goes with wait and quit";
        return 0;
    }
    if (isWait) {
        if (rest.size() != 1 || (inv->waitState = RemoteStateFromToken(rest[0])) < 0) {
            inv->error = "wait needs one state: playing, stopped, paused, recording, standby, idle, ...";
            return 0;
        }
        inv->request.verb = VERB_STATUS;
        return 1;
    }
    const VerbRow* verb = FindVerb(name);
    if (!verb) {
        inv->error = "unknown command " + name;
        return 0;
    }
    inv->request.verb = verb->verb;
    if (!TakeArguments(verb->args, rest, &inv->request)) {
        inv->error = "wrong arguments for " + name;
        if (verb->args == ARGS_PATHS && rest.size() > REMOTE_MAX_PATHS)
            inv->error = "at most " + std::to_string(REMOTE_MAX_PATHS) + " files at once; add the others with add";
        return 0;
    }
    return 1;
}
