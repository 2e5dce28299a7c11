// Names of the shown states (see shown_states.h).
#include "display/shown_states.h"

namespace {
struct StateName {
    int32_t state;
    const char* name;
};
const StateName STATE_NAMES[] = {
    {NoTrack,       "NO TRACK"   },
    {Stopped,       "STOP"       },
    {Playing,       "PLAY"       },
    {Paused,        "PAUSE"      },
    {Recording,     "REC"        },
    {RecPause,      "REC PAUSE"  },
    {RecStandby,    "REC STANDBY"},
    {Searching,     "SEARCH"     },
    {TrackSpace,    "SPACE"      },
    {RecAutoActive, "AUTO REC"   },
    {Editing,       "EDIT"       },
};
}  // namespace

const char* ShownStateName(int32_t state) {
    for (const StateName& s : STATE_NAMES)
        if (s.state == state) return s.name;
    return "";
}
