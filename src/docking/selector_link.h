// The deck's side of the link to the selector program: what the deck tells it about the
// transport and the input selection. The docking code sends the messages; this keeps the values.
#pragma once

enum { SELECTOR_MODE_PLAYING = 1, SELECTOR_MODE_OTHER = 2 };

void SetSelectorTransportMode(int mode);  // 1 playing, 2 anything else
int GetSelectorTransportMode();
void NotifySelectorInputChanged();  // the input or monitor selection changed
int GetSelectorInputNotices();      // how many input changes were announced
void ResetSelectorLinkForTest();
