// The remote-control language: every command qdctl can send reads back as sent, whatever is not
// a well-formed request of a known version is turned away before anything runs, replies carry
// awkward titles intact, and the status line and JSON read as documented.
#include "app/remote_protocol.h"
#include "display/shown_states.h"

#include <gtest/gtest.h>

namespace {
RemoteRequest Parsed(const std::string& text, int expect = PARSE_OK) {
    RemoteRequest r;
    EXPECT_EQ(ParseRemoteRequest(text.data(), text.size(), &r), expect) << text;
    return r;
}

QdctlInvocation Invocation(std::vector<std::string> args, int expectOk = 1) {
    QdctlInvocation inv;
    EXPECT_EQ(ParseQdctlArguments(args, &inv), expectOk) << (args.empty() ? "" : args[0]) << ": " << inv.error;
    return inv;
}
}  // namespace

TEST(RemoteProtocol, EveryCommandLineMakesARequestThatReadsBackTheSame) {
    const std::vector<std::vector<std::string>> lines = {
        {"status"},     {"play"},        {"play", "12"},        {"stop"},           {"pause"},
        {"record"},     {"record", "--start"}, {"next"},        {"prev"},           {"ff", "30"},
        {"rew", "5"},   {"open", "C:\\a b\\x.mp3", "--json"},   {"add", "Z:\\t.wav"},
        {"input", "in2"}, {"repeat", "all"}, {"quit"},
    };
    for (const auto& line : lines) {
        QdctlInvocation inv = Invocation(line);
        std::string wire = FormatRemoteRequest(inv.request);
        RemoteRequest back = Parsed(wire);
        EXPECT_EQ(back.verb, inv.request.verb) << wire;
        EXPECT_EQ(back.number, inv.request.number) << wire;
        EXPECT_EQ(back.paths, inv.request.paths) << wire;
    }
    EXPECT_EQ(Invocation({"open", "x.wav", "--json"}).request.paths.size(), 2u) << "a file may be named like an option";
    EXPECT_EQ(Invocation({"input", "in2"}).request.number, 0) << "IN2 is InputSel 0";
}

TEST(RemoteProtocol, MalformedRequestsAreTurnedAway) {
    const std::string path259(259, 'a'), path260(260, 'a');
    struct Case {
        std::string text;
        int result;
    } cases[] = {
        {"QDCTL 1\nstop",                    PARSE_BAD_HEADER     }, // the last line is not ended
        {"QDCTL 1\n",                        PARSE_BAD_HEADER     }, // no command
        {"QDCTL1\nstop\n",                   PARSE_BAD_HEADER     },
        {"QDCTL 0\nstop\n",                  PARSE_BAD_HEADER     },
        {"QDCTL 01x\nstop\n",                PARSE_BAD_HEADER     },
        {std::string("QDCTL 1\nst\0op\n", 14), PARSE_BAD_HEADER   }, // a zero byte inside
        {"QDCTL 2\nstop\n",                  PARSE_BAD_VERSION    },
        {"QDCTL 1\nSTOP\n",                  PARSE_UNKNOWN_COMMAND},
        {"QDCTL 1\nstop\nnow\n",             PARSE_BAD_ARGUMENTS  },
        {"QDCTL 1\nplay\n0\n",               PARSE_BAD_ARGUMENTS  },
        {"QDCTL 1\nplay\n1000\n",            PARSE_BAD_ARGUMENTS  },
        {"QDCTL 1\nplay\n+3\n",              PARSE_BAD_ARGUMENTS  },
        {"QDCTL 1\nff\n-5\n",                PARSE_BAD_ARGUMENTS  },
        {"QDCTL 1\nff\n99999999999999\n",    PARSE_BAD_ARGUMENTS  },
        {"QDCTL 1\ninput\nin3\n",            PARSE_BAD_ARGUMENTS  },
        {"QDCTL 1\nrecord\n--stop\n",        PARSE_BAD_ARGUMENTS  },
        {"QDCTL 1\nopen\n",                  PARSE_BAD_ARGUMENTS  },
        {"QDCTL 1\nopen\n\n",                PARSE_BAD_ARGUMENTS  },
        {"QDCTL 1\nopen\n" + path260 + "\n", PARSE_BAD_ARGUMENTS  },
        {"QDCTL 1\nadd\na\tb.wav\n",         PARSE_BAD_ARGUMENTS  },
    };
    for (const Case& c : cases) {
        RemoteRequest r = Parsed(c.text, c.result);
        EXPECT_EQ(r.verb, VERB_NONE) << "nothing of a refused request is kept";
    }
    EXPECT_EQ(Parsed("QDCTL 1\nopen\n" + path259 + "\n").paths[0].size(), 259u);
    EXPECT_EQ(Parsed(std::string("QDCTL 1\nstop\n\0", 14)).verb, VERB_STOP) << "the sender's terminator";

    std::string many = "QDCTL 1\nadd\n";
    for (int i = 0; i <= REMOTE_MAX_PATHS; ++i) many += "f.wav\n";
    Parsed(many, PARSE_BAD_ARGUMENTS);
    std::string huge = "QDCTL 1\nstatus\n" + std::string(REMOTE_MAX_REQUEST_BYTES, '\n');
    Parsed(huge, PARSE_TOO_LARGE);
    RemoteRequest r;
    EXPECT_EQ(ParseRemoteRequest(nullptr, 0, &r), PARSE_BAD_HEADER);
}

// Every number and count is taken up to its last value and refused one past it, on the wire
// and on qdctl's command line.
TEST(RemoteProtocol, NumbersAndCountsAreTakenUpToTheirLimits) {
    const struct {
        std::string text;
        int result, number;
    } cases[] = {
        {"QDCTL 1\nplay\n1\n",        PARSE_OK,            1    },
        {"QDCTL 1\nplay\n999\n",      PARSE_OK,            999  },
        {"QDCTL 1\nrew\n86400\n",     PARSE_OK,            86400},
        {"QDCTL 1\nff\n86401\n",      PARSE_BAD_ARGUMENTS, 0    },
        {"QDCTL 9999\nstop\n",        PARSE_BAD_VERSION,   0    },
        {"QDCTL 10000\nstop\n",       PARSE_BAD_HEADER,    0    },
    };
    for (const auto& c : cases) EXPECT_EQ(Parsed(c.text, c.result).number, c.number) << c.text;
    std::string most = "QDCTL 1\nadd\n";
    for (int i = 0; i < REMOTE_MAX_PATHS; ++i) most += "f.wav\n";
    EXPECT_EQ(Parsed(most).paths.size(), (size_t)REMOTE_MAX_PATHS);

    EXPECT_EQ(Invocation({"play", "999"}).request.number, 999);
    EXPECT_EQ(Invocation({"wait", "stopped", "--timeout", "86400"}).timeoutSeconds, 86400);
    EXPECT_FALSE(Invocation({"status", "--every", "86401"}, 0).error.empty());
    std::vector<std::string> add = {"add"};
    add.resize(REMOTE_MAX_PATHS + 1, "a.wav");
    EXPECT_EQ(Invocation(add).request.paths.size(), (size_t)REMOTE_MAX_PATHS);
}

// A path is plain text: every control byte and DEL are refused, the blank, the tilde and the
// bytes of a two-byte character set (a Shift-JIS folder) are taken.
TEST(RemoteProtocol, PathsRefuseControlBytesAtBothEnds) {
    for (const char* bad : {"a\x01.wav", "a\x1F.wav", "a\x7F.wav"})
        Parsed(std::string("QDCTL 1\nadd\n") + bad + "\n", PARSE_BAD_ARGUMENTS);
    for (const char* good : {"a b.wav", "~a.wav", "C:\\\x83\x5C\x83\x93\\s.wav"})
        EXPECT_EQ(Parsed(std::string("QDCTL 1\nadd\n") + good + "\n").paths, std::vector<std::string>{good});
}

TEST(RemoteProtocol, RepliesCarryTitlesAndMessagesIntact) {
    RemoteReply reply;
    reply.result = REPLY_REFUSED;
    reply.message = "C:\\x.ogg \nThis file cannot be played.\nCheck the file.";
    reply.messageId = 40;
    reply.hasStatus = 1;
    reply.status.state = RecStandby;
    reply.status.title = "A\\B\nC=D";
    reply.status.file = "Z:\\music\\a.mp3";
    reply.status.recordFile = "Z:\\rec\\S-014.WAV";
    reply.status.format = 3;
    reply.status.rate = 48000;
    reply.status.input = 0;
    reply.status.repeat = 2;
    reply.status.lock = 1;
    reply.status.positionMs = 4294967295u;
    std::string wire = FormatRemoteReply(reply);
    RemoteReply back;
    ASSERT_EQ(ParseRemoteReply(wire.data(), wire.size(), &back), 1) << wire;
    EXPECT_EQ(FormatRemoteReply(back), wire) << "every field read back as sent";
    EXPECT_EQ(back.message, reply.message);
    EXPECT_EQ(back.status.title, "A\\B\nC=D");
    EXPECT_EQ(back.status.positionMs, 4294967295u);

    std::string later = "QDCTL 1\nok\nstate=playing\nvolume=7\nsomething new\n";
    ASSERT_EQ(ParseRemoteReply(later.data(), later.size(), &back), 1) << "fields of later versions are passed over";
    EXPECT_EQ(back.status.state, Playing);
    std::string newer = "QDCTL 2\nok\n", odd = "QDCTL 1\nmaybe\n";
    EXPECT_EQ(ParseRemoteReply(newer.data(), newer.size(), &back), 0);
    EXPECT_EQ(ParseRemoteReply(odd.data(), odd.size(), &back), 0);
}

TEST(RemoteProtocol, StatusReadsAsDocumented) {
    RemoteStatus s;
    s.state = Playing;
    s.track = 3;
    s.count = 12;
    s.positionMs = 102999;
    s.title = "Title";
    s.rate = 44100;
    s.format = 3;
    EXPECT_EQ(FormatStatusLine(s), "Playing #3/12 001:42 \"Title\" 44 kHz MP3");
    RemoteStatus r;
    r.state = Recording;
    r.recordFile = "Z:\\rec\\S-014.WAV";
    r.recordedMs = 725000;
    EXPECT_EQ(FormatStatusLine(r), "Recording S-014.WAV 012:05");
    r.state = NoTrack;
    r.count = 0;
    EXPECT_EQ(FormatStatusLine(r), "No track #0/0");

    s.title = "say \"hi\"\\\x01";
    s.lock = 1;
    EXPECT_EQ(FormatStatusJson(s),
              "{\"state\":\"playing\",\"track\":3,\"count\":12,\"position_ms\":102999,\"title\":\"say \\\"hi\\\"\\\\\\u0001\","
              "\"file\":\"\",\"record_file\":\"\",\"recorded_ms\":0,\"format\":\"MP3\",\"rate\":44100,\"input\":\"in1\","
              "\"repeat\":\"off\",\"lock\":true}");
}

TEST(RemoteProtocol, QdctlCommandLine) {
    QdctlInvocation wait = Invocation({"wait", "stopped", "--timeout", "90"});
    EXPECT_EQ(wait.request.verb, VERB_STATUS) << "wait asks for the status until it matches";
    EXPECT_EQ(wait.waitState, Stopped);
    EXPECT_EQ(wait.timeoutSeconds, 90);
    EXPECT_EQ(Invocation({"wait", "idle"}).waitState, REMOTE_STATE_IDLE);
    EXPECT_TRUE(RemoteStateMatches(NoTrack, REMOTE_STATE_IDLE));
    EXPECT_FALSE(RemoteStateMatches(RecStandby, REMOTE_STATE_IDLE));

    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {}, {"launch"}, {"wait", "dancing"}, {"wait", "playing", "--timeout"}, {"play", "--json"},
             {"stop", "--timeout", "5"}, {"status", "--every", "0"}})
        EXPECT_FALSE(Invocation(bad, 0).error.empty());
    std::vector<std::string> tooMany = {"open"};
    tooMany.resize(REMOTE_MAX_PATHS + 2, "a.wav");
    EXPECT_NE(Invocation(tooMany, 0).error.find("add"), std::string::npos) << "says how to add the rest";
}
