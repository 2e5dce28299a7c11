// Selector link values. The selector window, when it runs, learns them from the docking code.
#include "docking/selector_link.h"

namespace {
struct SelectorLinkModule {
    int transportMode;  // last transport mode told (1 playing, 2 other)
};
SelectorLinkModule g_link = {SELECTOR_MODE_PLAYING};
}  // namespace

void SetSelectorTransportMode(int mode) { g_link.transportMode = mode; }
int GetSelectorTransportMode() { return g_link.transportMode; }
void ResetSelectorLinkForTest() { g_link = SelectorLinkModule{SELECTOR_MODE_PLAYING}; }
