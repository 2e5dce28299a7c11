// Until the deck's own tick drives time, levels and the end of tracks, the timer shows the
// transport state as it stands.
#include "app/deck_tick_standin.h"
#include "deck/deck.h"

int32_t RunDeckTick() { return Deck().deckState; }
