// The mixer layer over the platform mixer seam: finding the deck's mixer by name, the output line
// by kind, and the mute, volume and peak-meter controls on it. Nothing stays open between calls.
#include "hardware/mixer.h"
#include "hardware/mixer_platform.h"
#include "base/system_info.h"

#include <cstring>

namespace {
const char* const DECK_MIXER_NAMES[] = {"Kelvara Vornex USB", "Kelvara Vornex Pro"};
enum { MIXER_MAX_CONTROLS = 64 };

struct MixerState {
    int ready;                // MixerInit succeeded and MixerShutdown has not run
    MixerAvailability avail;  // controls the deck may use
    uint32_t selectedLine;    // dwLineID chosen by the last successful SelectLine
    int osKind;               // OsKind of the system, for the destination type
    int failInitForTest;      // tests: MixerInit fails
};
MixerState g_mixer;

// The mixer handle of one operation, closed on every path.
struct OpenMixer {
    uintptr_t handle = 0;
    explicit OpenMixer(uint32_t id) { PlatformMixerOpen(id, &handle); }
    ~OpenMixer() {
        if (handle) PlatformMixerClose(handle);
    }
    OpenMixer(const OpenMixer&) = delete;
    OpenMixer& operator=(const OpenMixer&) = delete;
};

uint32_t DestinationType() { return g_mixer.osKind == OS_KIND_98 ? MIXER_DST_SPEAKERS : MIXER_DST_UNDEFINED; }

uint32_t SourceType(int kind) { return kind == MIXER_LINE_WAVEOUT ? MIXER_SRC_WAVEOUT : MIXER_SRC_SYNTHESIZER; }

// The first destination of the type sought; for a source kind, its first source of that kind.
int FindLine(uint32_t mixerId, uintptr_t handle, int kind, uint32_t* lineIdOut) {
    *lineIdOut = 0;
    uint32_t destinations = 0;
    if (!PlatformMixerDestinationCount(mixerId, &destinations)) return 0;
    for (uint32_t d = 0; d < destinations; ++d) {
        MixerLineRecord dest;
        if (!PlatformMixerDestination(handle, d, &dest)) return 0;
        if (dest.componentType != DestinationType()) continue;
        if (kind == MIXER_LINE_MASTER) {
            *lineIdOut = dest.lineId;
            return 1;
        }
        for (uint32_t s = 0; s < dest.sourceCount; ++s) {
            MixerLineRecord source;
            if (!PlatformMixerSource(handle, d, s, &source)) return 0;
            if (source.componentType == SourceType(kind)) {
                *lineIdOut = source.lineId;
                return 1;
            }
        }
        return 0;  // only the first destination of the type is searched
    }
    return 0;
}

// The control of the type on the selected line, with the number of channels and items its
// details carry. A uniform control holds one value for all channels, so it is exchanged as one
// channel (some drivers, Wine's among them, keep only the first channel of a uniform control).
int FindControl(uintptr_t handle, uint32_t type, MixerControlRecord* controlOut, uint32_t* channelsOut,
                uint32_t* itemsOut) {
    *controlOut = MixerControlRecord();
    *channelsOut = *itemsOut = 0;
    MixerLineRecord line;
    if (!PlatformMixerLine(handle, g_mixer.selectedLine, &line) || line.controlCount == 0) return 0;
    if (line.controlCount > MIXER_MAX_CONTROLS) return 0;
    MixerControlRecord controls[MIXER_MAX_CONTROLS];
    if (!PlatformMixerControls(handle, line.lineId, line.controlCount, controls)) return 0;
    for (uint32_t i = 0; i < line.controlCount; ++i) {
        if (controls[i].type != type) continue;
        if (controls[i].flags & MIXER_CONTROLF_DISABLED) return 0;
        uint32_t channels = (controls[i].flags & MIXER_CONTROLF_UNIFORM) || line.channels == 0 ? 1 : line.channels;
        uint32_t items =
            (controls[i].flags & MIXER_CONTROLF_MULTIPLE) && controls[i].multipleItems ? controls[i].multipleItems : 1;
        if (channels * items > MIXER_MAX_VALUES) return 0;
        *controlOut = controls[i];
        *channelsOut = channels;
        *itemsOut = items;
        return 1;
    }
    return 0;
}

// Reads the first two values of a control of the selected line (one value stands for both).
int ReadPair(uint32_t type, int32_t* leftOut, int32_t* rightOut) {
    *leftOut = *rightOut = 0;
    OpenMixer mixer(FindDeckMixer());
    if (!mixer.handle) return 0;
    MixerControlRecord control;
    uint32_t channels, items;
    if (!FindControl(mixer.handle, type, &control, &channels, &items)) return 0;
    int32_t values[MIXER_MAX_VALUES];
    if (!PlatformMixerGetValues(mixer.handle, control.controlId, channels, items, values)) return 0;
    *leftOut = values[0];
    *rightOut = channels * items > 1 ? values[1] : values[0];
    return 1;
}

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }
}  // namespace

int MixerInit() {
    if (g_mixer.failInitForTest) return 0;
    g_mixer.ready = 1;
    return 1;
}

void MixerShutdown() {
    g_mixer.ready = 0;
    g_mixer.avail = MixerAvailability();
}

int MixerReady() { return g_mixer.ready; }
MixerAvailability& MixerAvail() { return g_mixer.avail; }
int MixerInUse() { return g_mixer.avail.muteAvail || g_mixer.avail.volumeAvail || g_mixer.avail.meterAvail; }

// No handle outlives an operation, so releasing only withdraws the controls.
void MixerRelease() {
    g_mixer.avail.muteAvail = 0;
    g_mixer.avail.volumeAvail = 0;
}

void SetMixerOsKind(int osKind) { g_mixer.osKind = osKind; }

uint32_t FindDeckMixer() {
    uint32_t count = PlatformMixerCount();
    for (uint32_t id = 0; id < count; ++id) {
        char name[MIXER_NAME_BYTES];
        if (!PlatformMixerName(id, name)) continue;
        for (const char* wanted : DECK_MIXER_NAMES)
            if (std::strncmp(name, wanted, std::strlen(wanted)) == 0) return id;
    }
    return 0;
}

int SelectLine(int, int kind) {
    if (PlatformMixerCount() == 0) return 0;
    uint32_t id = FindDeckMixer();
    OpenMixer mixer(id);
    if (!mixer.handle) return 0;
    uint32_t lineId = 0;
    if (kind < MIXER_LINE_MASTER || kind > MIXER_LINE_SYNTHESIZER || !FindLine(id, mixer.handle, kind, &lineId))
        return 0;
    g_mixer.selectedLine = lineId;
    return 1;
}

int SelectMaster(int deviceNumber) { return SelectLine(deviceNumber, MIXER_LINE_MASTER); }
int SelectWaveOut(int deviceNumber) { return SelectLine(deviceNumber, MIXER_LINE_WAVEOUT); }

int GetMute(int, uint32_t* muteOut) {
    *muteOut = 0;
    int32_t value = 0, ignored = 0;
    if (!ReadPair(MIXER_CONTROL_MUTE, &value, &ignored)) return 0;
    *muteOut = value != 0;
    return 1;
}

int SetMute(int, uint32_t mute) {
    OpenMixer mixer(FindDeckMixer());
    if (!mixer.handle) return 0;
    MixerControlRecord control;
    uint32_t channels, items;
    if (!FindControl(mixer.handle, MIXER_CONTROL_MUTE, &control, &channels, &items)) return 0;
    int32_t value = mute ? 1 : 0;
    return PlatformMixerSetValues(mixer.handle, control.controlId, 1, 1, &value);
}

int GetVolume(int, uint32_t* leftOut, uint32_t* rightOut) {
    *leftOut = *rightOut = 0;
    int32_t left = 0, right = 0;
    if (!ReadPair(MIXER_CONTROL_VOLUME, &left, &right)) return 0;
    *leftOut = (uint32_t)left;
    *rightOut = (uint32_t)right;
    return 1;
}

// Items beyond the first two keep what the mixer holds; when that cannot be read they take the
// left and right values in turn.
int SetVolume(int, uint32_t left, uint32_t right) {
    OpenMixer mixer(FindDeckMixer());
    if (!mixer.handle) return 0;
    MixerControlRecord control;
    uint32_t channels, items;
    if (!FindControl(mixer.handle, MIXER_CONTROL_VOLUME, &control, &channels, &items)) return 0;
    uint32_t n = channels * items;
    int32_t l = (int32_t)Clamp(left, control.minimum, control.maximum);
    int32_t r = (int32_t)Clamp(right, control.minimum, control.maximum);
    int32_t values[MIXER_MAX_VALUES];
    if (n <= 2 || !PlatformMixerGetValues(mixer.handle, control.controlId, channels, items, values))
        for (uint32_t i = 0; i < n; ++i) values[i] = i % 2 ? r : l;
    values[0] = l;
    if (n > 1) values[1] = r;
    return PlatformMixerSetValues(mixer.handle, control.controlId, channels, items, values);
}

int GetPeak(int, int32_t* leftOut, int32_t* rightOut) { return ReadPair(MIXER_CONTROL_PEAKMETER, leftOut, rightOut); }

void SetMixerInitFailForTest(int fail) { g_mixer.failInitForTest = fail; }
void ResetMixerForTest() { g_mixer = MixerState(); }
uint32_t SelectedMixerLineForTest() { return g_mixer.selectedLine; }
