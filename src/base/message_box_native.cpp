// Native message boxes: recorded for tests, answered from a queue.
#include "base/message_box.h"
#include "base/bounded_copy.h"
#include "base/shell_handles.h"
#include <cstring>

namespace {
enum { MAX_RECORDED = 64, MAX_ANSWERS = 16 };
struct MessageState {
    RecordedMessage shown[MAX_RECORDED];  // oldest first; later calls beyond the cap are dropped
    int shownCount = 0;
    int answers[MAX_ANSWERS];  // queued answers, consumed from the front
    int answerCount = 0;
    void (*loopHook)() = nullptr;  // runs inside each box
    int inBox = 0;                 // a box is open (a box opened from the hook does not run it again)
};
MessageState g_msg;
}  // namespace

int ShowDeckMessage(int stringId, const char* fileName, MessageJoin join, unsigned style) {
    if (g_msg.shownCount < MAX_RECORDED) {
        RecordedMessage& m = g_msg.shown[g_msg.shownCount++];
        m.stringId = stringId;
        CopyBoundedString(m.fileName, sizeof m.fileName, fileName);
        m.join = join;
        m.style = style;
        m.owner = MessageOwner();
    }
    if (g_msg.loopHook && !g_msg.inBox) {
        g_msg.inBox = 1;
        g_msg.loopHook();
        g_msg.inBox = 0;
    }
    if (g_msg.answerCount > 0) {
        int a = g_msg.answers[0];
        std::memmove(g_msg.answers, g_msg.answers + 1, sizeof(int) * (g_msg.answerCount - 1));
        g_msg.answerCount--;
        return a;
    }
    unsigned buttons = style & 0xF;
    return (buttons == MSGBOX_YESNO || buttons == MSGBOX_YESNOCANCEL) ? MSGBOX_ANSWER_YES : MSGBOX_ANSWER_OK;
}

int ShowDeckText(const char* english, const char*, int) { return ShowDeckMessage(0, english, JOIN_NONE, MSGBOX_OK); }

int RecordedMessageCount() { return g_msg.shownCount; }
const RecordedMessage* RecordedMessageAt(int index) {
    return (index >= 0 && index < g_msg.shownCount) ? &g_msg.shown[index] : nullptr;
}
void QueueMessageAnswer(int answer) {
    if (g_msg.answerCount < MAX_ANSWERS) g_msg.answers[g_msg.answerCount++] = answer;
}
void ResetMessages() { g_msg = MessageState(); }
void SetMessageLoopHook(void (*hook)()) { g_msg.loopHook = hook; }

int LoadDeckString(int, wchar_t* out, int outChars) {
    if (outChars > 0) out[0] = 0;
    return 0;
}
