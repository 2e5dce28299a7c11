// Messages and new files of the file tools (see tool_output.h).
#include "tools/tool_output.h"
#include <cctype>
#include <cstring>
#include "base/bounded_copy.h"
#include "media/file_splice.h"
#include "resources/resource.h"

namespace {

struct ToolOutputModule {
    FILE* text;     // text mode: where messages go; null shows boxes
    int answerYes;  // text mode: the answer to every Yes/No question
    int failure;    // ToolFailure of the last run
};
ToolOutputModule g_out;

// English texts of the messages the tools show, for the command line; the program's own boxes
// take them from the string table. tools_test checks them against the resource script.
struct EnglishRow {
    int id;
    const char* text;
};
const EnglishRow ENGLISH[] = {
    {STR_CREATED,               "created."                                                                                 },
    {STR_NOT_FOUND,             "not found."                                                                               },
    {STR_COULD_NOT_WRITE,       "Could not write to"                                                                       },
    {STR_KELVARA_TITLE_FOUND,   "A Kelvara format title was found. Which do you wish to use?"                              },
    {STR_TITLE_TOO_LONG,        "There are more than 30 letters in this title. The end of the title will not be displayed."},
    {STR_SELECT_FILE_TO_DIVIDE, "Select the file name to separate."                                                        },
    {STR_SET_FILE_NAME,         "Set the file name."                                                                       },
    {STR_BAD_FILE_SIZE,         "The file size setting is not correct."                                                    },
    {STR_DIVIDE_SAME_NAME,
     "The selected file name and the destination file name are the same. \nPlease set a new destination file "
     "name."                                                                                                               },
    {STR_FILE_EXISTS,           "This file already exists. Continue?"                                                      },
    {STR_ERROR,                 "Error."                                                                                   },
    {STR_SET_FILE_NAME_1,       "Set the file name 1. "                                                                    },
    {STR_SET_FILE_NAME_2,       "Set the file name 2. "                                                                    },
    {STR_NO_INFORMATION,        "Could not get information from"                                                           },
    {STR_COMBINE_FORMAT,        "The combined file has to be the same format."                                             },
    {STR_COMBINE_CHANNELS,      "The combined file has to have the same channels."                                         },
    {STR_COMBINE_FREQUENCY,     "The combined file has to be the same audio frequency."                                    },
    {STR_COMBINE_BITS,          "The combined file has to have the same bit number."                                       },
    {STR_COMBINE_BITRATE,       "The combined file has to be the same bit rate."                                           },
    {STR_COMBINE_SAME_NAME,
     "The selected file name and the destination file name are the same.\nPlease set a new destination file "
     "name."                                                                                                               },
};

}  // namespace

const char* ToolMessageEnglish(int stringId) {
    for (const EnglishRow& row : ENGLISH)
        if (row.id == stringId) return row.text;
    return nullptr;
}

void FormatToolMessage(int stringId, const char* name, MessageJoin join, char* textOut) {
    const char* message = ToolMessageEnglish(stringId);
    if (!message) message = "";
    if (!name) name = "";
    size_t cap = TOOL_MESSAGE_TEXT_BYTES;
    switch (join) {
    case JOIN_SPACE:
        // "name message", except "Could not get information from" which reads "message name".
        if (stringId == STR_NO_INFORMATION)
            std::snprintf(textOut, cap, "%s %s", message, name);
        else
            std::snprintf(textOut, cap, "%s %s", name, message);
        break;
    case JOIN_SPACE_DOT: std::snprintf(textOut, cap, "%s %s.", message, name); break;
    case JOIN_APPEND: std::snprintf(textOut, cap, "%s%s", message, name); break;
    default: std::snprintf(textOut, cap, "%s", message); break;
    }
}

int LastToolFailure() { return g_out.failure; }

void BeginToolRun() {
    g_out.failure = TOOL_FAILED_NONE;
    ClearMediaFileError();
}

void ShowToolError() {
    static const int FROM_MEDIA[] = {TOOL_FAILED_NOT_SOUND, TOOL_FAILED_NO_ROOM, TOOL_FAILED_DENIED, TOOL_FAILED_READ,
                                     TOOL_FAILED_WRITE};
    int e = LastMediaFileError();
    g_out.failure = e >= MEDIA_ERROR_NONE && e <= MEDIA_ERROR_WRITE ? FROM_MEDIA[e] : TOOL_FAILED_WRITE;
    ToolMessage(STR_ERROR, nullptr, JOIN_NONE, MSGBOX_OK);
}

const char* ToolFailureText(int failure) {
    static const char* const TEXTS[] = {"", "no room", "not allowed", "read error", "not a sound file", "write error"};
    return failure >= TOOL_FAILED_NONE && failure <= TOOL_FAILED_WRITE ? TEXTS[failure] : "";
}

int ToolMessage(int stringId, const char* name, MessageJoin join, unsigned style) {
    if (!g_out.text) return ShowDeckMessage(stringId, name, join, style);
    char text[TOOL_MESSAGE_TEXT_BYTES];
    FormatToolMessage(stringId, name, join, text);
    unsigned buttons = style & 0xF;
    int question = buttons == MSGBOX_YESNO || buttons == MSGBOX_YESNOCANCEL;
    int answer = !question ? MSGBOX_ANSWER_OK : g_out.answerYes ? MSGBOX_ANSWER_YES : MSGBOX_ANSWER_NO;
    // The command line says why a run failed, after the deck's own word for it.
    const char* why = stringId == STR_ERROR ? ToolFailureText(g_out.failure) : "";
    std::fprintf(g_out.text, "%s%s%s%s%s\n", text, question ? (answer == MSGBOX_ANSWER_YES ? " [yes]" : " [no]") : "",
                 *why ? " (" : "", why, *why ? ")" : "");
    return answer;
}

void SetToolTextMode(FILE* out, int answerYes) {
    g_out.text = out;
    g_out.answerYes = answerYes;
}

int BeginNewFile(const char* finalPath, NewFile* out) {
    out->file.handle = -1;
    out->tempPath[0] = 0;
    if (CopyBoundedString(out->finalPath, sizeof out->finalPath, finalPath) + 1 >= sizeof out->finalPath) return 0;
    return CreateFileBeside(finalPath, &out->file, out->tempPath);
}

int CloseNewFile(NewFile* f) {
    int ok = FlushMediaFile(&f->file);
    CloseMediaFile(&f->file);
    return ok;
}

int PlaceNewFile(NewFile* f) {
    CloseMediaFile(&f->file);
    return ReplaceMediaFile(f->tempPath, f->finalPath);
}

void AbandonNewFile(NewFile* f) {
    CloseMediaFile(&f->file);
    if (f->tempPath[0]) DeleteMediaFile(f->tempPath);
    f->tempPath[0] = 0;
}

int SamePathNoCase(const char* a, const char* b) {
    for (; *a && *b; a++, b++)
        if (std::toupper((unsigned char)*a) != std::toupper((unsigned char)*b)) return 0;
    return *a == *b;
}
