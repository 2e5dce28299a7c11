// Native shell actions: counted per command, so tests see which action a command reached.
#include "app/commands.h"
#include "resources/resource.h"
#include <map>

namespace {
struct ShellActions {
    std::map<int, int> counts;  // command id -> calls
};
ShellActions g_actions;
}  // namespace

void PostCloseRequest() { g_actions.counts[CMD_CLOSE]++; }
void MinimizeDeck() { g_actions.counts[CMD_ICONIZE]++; }
void ToggleFaceMode() { g_actions.counts[CMD_FACE_MODE]++; }
void LaunchSelector() { g_actions.counts[CMD_LAUNCH_SELECTOR]++; }
void RepaintFace() {}
void DeleteSelectedEntries() { g_actions.counts[CMD_DELETE_ENTRIES]++; }

int ShellActionCount(int commandId) {
    auto it = g_actions.counts.find(commandId);
    return it == g_actions.counts.end() ? 0 : it->second;
}
void ResetShellActions() { g_actions = ShellActions(); }
