// The platform's audio mixer, one call per mixer service the deck uses (device names, open and
// close, line and control queries, control details). The Win32 build calls the multimedia mixer;
// the native build answers from a scripted set of mixers (mixer_platform_native.h).
#pragma once
#include <cstdint>

enum {
    MIXER_NAME_BYTES = 32,  // the platform's product-name field
    MIXER_MAX_VALUES = 64,  // channels x items the deck exchanges at most in one details call
};

// Line component types, control types and flags, as the platform numbers them.
const uint32_t MIXER_DST_UNDEFINED = 0x0;
const uint32_t MIXER_DST_SPEAKERS = 0x4;
const uint32_t MIXER_SRC_SYNTHESIZER = 0x1004;
const uint32_t MIXER_SRC_WAVEOUT = 0x1008;
const uint32_t MIXER_CONTROL_MUTE = 0x20010002;
const uint32_t MIXER_CONTROL_VOLUME = 0x50030001;
const uint32_t MIXER_CONTROL_PEAKMETER = 0x10020001;
const uint32_t MIXER_CONTROLF_UNIFORM = 0x1;
const uint32_t MIXER_CONTROLF_MULTIPLE = 0x2;
const uint32_t MIXER_CONTROLF_DISABLED = 0x80000000u;

struct MixerLineRecord {
    uint32_t lineId;         // dwLineID
    uint32_t componentType;  // MIXER_DST_* or MIXER_SRC_*
    uint32_t channels;       // cChannels
    uint32_t sourceCount;    // cConnections (destinations only)
    uint32_t controlCount;   // cControls
};

struct MixerControlRecord {
    uint32_t controlId;      // dwControlID
    uint32_t type;           // MIXER_CONTROL_*
    uint32_t flags;          // MIXER_CONTROLF_*
    uint32_t multipleItems;  // cMultipleItems (with MIXER_CONTROLF_MULTIPLE)
    int64_t minimum;         // Bounds: signed for the meter, unsigned for volume
    int64_t maximum;
};

// Every call returns 1 on success and 0 on failure; out-values are zeroed first.
uint32_t PlatformMixerCount();
int PlatformMixerName(uint32_t mixerId, char* nameOut);  // nameOut: MIXER_NAME_BYTES
int PlatformMixerDestinationCount(uint32_t mixerId, uint32_t* countOut);
int PlatformMixerOpen(uint32_t mixerId, uintptr_t* handleOut);
void PlatformMixerClose(uintptr_t handle);
int PlatformMixerDestination(uintptr_t handle, uint32_t destination, MixerLineRecord* lineOut);
int PlatformMixerSource(uintptr_t handle, uint32_t destination, uint32_t source, MixerLineRecord* lineOut);
int PlatformMixerLine(uintptr_t handle, uint32_t lineId, MixerLineRecord* lineOut);
// All controls of a line; controlsOut holds count records.
int PlatformMixerControls(uintptr_t handle, uint32_t lineId, uint32_t count, MixerControlRecord* controlsOut);
// Details of a control as 4-byte values, channels x items of them.
int PlatformMixerGetValues(uintptr_t handle, uint32_t controlId, uint32_t channels, uint32_t items, int32_t* valuesOut);
int PlatformMixerSetValues(uintptr_t handle, uint32_t controlId, uint32_t channels, uint32_t items,
                           const int32_t* values);
