// A media file that reaches up into the deck.
#include "media/probe.h"

#include <vector>

#include "base/bytes.h"
#include "deck/deck.h"
#include <deck/deck.h>
#include "../deck/deck.h"
#include "../../src/deck/deck.h"
#include "../media/probe.h"
#include "playback/library.h"
#include "playback/control.h"
#include "tavply_api.h"
