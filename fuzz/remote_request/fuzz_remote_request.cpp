// Fuzzes what the deck reads from any caller and what qdctl reads back: a request that is read
// must format to text that reads back as the same request, and a reply that is read must survive
// the status line, the JSON and its own round trip.
#include <cstdint>
#include <string>

#include "app/remote_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    RemoteRequest request;
    if (ParseRemoteRequest(text, size, &request) == PARSE_OK) {
        std::string again = FormatRemoteRequest(request);
        RemoteRequest back;
        if (ParseRemoteRequest(again.data(), again.size(), &back) != PARSE_OK || back.verb != request.verb ||
            back.number != request.number || back.paths != request.paths)
            __builtin_trap();
    }
    RemoteReply reply;
    if (ParseRemoteReply(text, size, &reply)) {
        FormatStatusLine(reply.status);
        FormatStatusJson(reply.status);
        std::string again = FormatRemoteReply(reply);
        RemoteReply back;
        if (!ParseRemoteReply(again.data(), again.size(), &back) || back.message != reply.message ||
            back.status.title != reply.status.title)
            __builtin_trap();
    }
    return 0;
}
