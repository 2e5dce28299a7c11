// The deck's side of the link to the selector program: the transport mode the deck last showed.
#pragma once

enum { SELECTOR_MODE_PLAYING = 1, SELECTOR_MODE_OTHER = 2 };

void SetSelectorTransportMode(int mode);  // 1 playing, 2 anything else
int GetSelectorTransportMode();
void ResetSelectorLinkForTest();
