// Scripted mixers for the native build: the mixer seam answered from test-made records, with the
// open handles counted (every operation must close what it opened) and any call failable.
#include "hardware/mixer_platform.h"
#include "hardware/mixer_platform_native.h"

#include <cstring>

namespace {
struct FakeMixerState {
    std::vector<FakeMixer> mixers;  // mixer id = index
    int failIn;                     // calls left until the one that fails; 0 never
    int openHandles;                // opens not yet closed
    uint32_t lastOpened;            // mixer id of the last open
};
FakeMixerState g_fake;

// Counts the call down; 0 when this is the call that fails.
int CallOk() {
    if (g_fake.failIn > 0 && --g_fake.failIn == 0) return 0;
    return 1;
}

FakeMixer* ByHandle(uintptr_t handle) {
    if (handle == 0 || handle > g_fake.mixers.size()) return nullptr;
    return &g_fake.mixers[handle - 1];
}

FakeMixerLine* LineById(FakeMixer* m, uint32_t lineId) {
    for (FakeMixerDestination& d : m->destinations) {
        if (d.line.record.lineId == lineId) return &d.line;
        for (FakeMixerLine& s : d.sources)
            if (s.record.lineId == lineId) return &s;
    }
    return nullptr;
}

FakeMixerControl* ControlById(FakeMixer* m, uint32_t controlId) {
    for (FakeMixerDestination& d : m->destinations) {
        for (FakeMixerControl& c : d.line.controls)
            if (c.record.controlId == controlId) return &c;
        for (FakeMixerLine& s : d.sources)
            for (FakeMixerControl& c : s.controls)
                if (c.record.controlId == controlId) return &c;
    }
    return nullptr;
}

void FillLine(const FakeMixerLine& line, uint32_t sources, MixerLineRecord* out) {
    *out = line.record;
    out->sourceCount = sources;
    out->controlCount = (uint32_t)line.controls.size();
}
}  // namespace

void SetFakeMixers(const std::vector<FakeMixer>& mixers) { g_fake.mixers = mixers; }
std::vector<FakeMixer>& FakeMixers() { return g_fake.mixers; }

FakeMixerLine MakeFakeLine(uint32_t lineId, uint32_t componentType, uint32_t firstControlId) {
    FakeMixerLine line;
    line.record = MixerLineRecord{lineId, componentType, 2, 0, 0};
    line.controls.push_back({
        MixerControlRecord{firstControlId, MIXER_CONTROL_VOLUME, 0, 0, 0, 65535},
        {            }
    });
    line.controls.push_back({
        MixerControlRecord{firstControlId + 1,      MIXER_CONTROL_MUTE, MIXER_CONTROLF_UNIFORM, 0, 0, 1},
        {                     }
    });
    return line;
}

void FailFakeMixerCall(int n) { g_fake.failIn = n; }
int OpenFakeMixerHandles() { return g_fake.openHandles; }
uint32_t LastOpenedFakeMixer() { return g_fake.lastOpened; }
void ResetFakeMixers() { g_fake = FakeMixerState(); }

uint32_t PlatformMixerCount() { return (uint32_t)g_fake.mixers.size(); }

int PlatformMixerName(uint32_t mixerId, char* nameOut) {
    nameOut[0] = 0;
    if (!CallOk() || mixerId >= g_fake.mixers.size()) return 0;
    std::strncpy(nameOut, g_fake.mixers[mixerId].name.c_str(), MIXER_NAME_BYTES - 1);
    nameOut[MIXER_NAME_BYTES - 1] = 0;
    return 1;
}

int PlatformMixerDestinationCount(uint32_t mixerId, uint32_t* countOut) {
    *countOut = 0;
    if (!CallOk() || mixerId >= g_fake.mixers.size()) return 0;
    *countOut = (uint32_t)g_fake.mixers[mixerId].destinations.size();
    return 1;
}

int PlatformMixerOpen(uint32_t mixerId, uintptr_t* handleOut) {
    *handleOut = 0;
    if (!CallOk() || mixerId >= g_fake.mixers.size()) return 0;
    *handleOut = mixerId + 1;
    g_fake.openHandles++;
    g_fake.lastOpened = mixerId;
    return 1;
}

void PlatformMixerClose(uintptr_t handle) {
    if (handle) g_fake.openHandles--;
}

int PlatformMixerDestination(uintptr_t handle, uint32_t destination, MixerLineRecord* lineOut) {
    *lineOut = MixerLineRecord();
    FakeMixer* m = ByHandle(handle);
    if (!CallOk() || !m || destination >= m->destinations.size()) return 0;
    FakeMixerDestination& d = m->destinations[destination];
    FillLine(d.line, (uint32_t)d.sources.size(), lineOut);
    return 1;
}

int PlatformMixerSource(uintptr_t handle, uint32_t destination, uint32_t source, MixerLineRecord* lineOut) {
    *lineOut = MixerLineRecord();
    FakeMixer* m = ByHandle(handle);
    if (!CallOk() || !m || destination >= m->destinations.size()) return 0;
    FakeMixerDestination& d = m->destinations[destination];
    if (source >= d.sources.size()) return 0;
    FillLine(d.sources[source], 0, lineOut);
    return 1;
}

int PlatformMixerLine(uintptr_t handle, uint32_t lineId, MixerLineRecord* lineOut) {
    *lineOut = MixerLineRecord();
    FakeMixer* m = ByHandle(handle);
    FakeMixerLine* line = m ? LineById(m, lineId) : nullptr;
    if (!CallOk() || !line) return 0;
    FillLine(*line, 0, lineOut);
    return 1;
}

int PlatformMixerControls(uintptr_t handle, uint32_t lineId, uint32_t count, MixerControlRecord* controlsOut) {
    FakeMixer* m = ByHandle(handle);
    FakeMixerLine* line = m ? LineById(m, lineId) : nullptr;
    if (!CallOk() || !line || count != line->controls.size()) return 0;
    for (uint32_t i = 0; i < count; ++i) controlsOut[i] = line->controls[i].record;
    return 1;
}

int PlatformMixerGetValues(uintptr_t handle, uint32_t controlId, uint32_t channels, uint32_t items,
                           int32_t* valuesOut) {
    uint32_t n = channels * items;
    for (uint32_t i = 0; i < n; ++i) valuesOut[i] = 0;
    FakeMixer* m = ByHandle(handle);
    FakeMixerControl* c = m ? ControlById(m, controlId) : nullptr;
    if (!CallOk() || !c || n == 0) return 0;
    for (uint32_t i = 0; i < n && i < c->values.size(); ++i) valuesOut[i] = c->values[i];
    return 1;
}

int PlatformMixerSetValues(uintptr_t handle, uint32_t controlId, uint32_t channels, uint32_t items,
                           const int32_t* values) {
    FakeMixer* m = ByHandle(handle);
    FakeMixerControl* c = m ? ControlById(m, controlId) : nullptr;
    uint32_t n = channels * items;
    if (!CallOk() || !c || n == 0) return 0;
    c->values.assign(values, values + n);
    return 1;
}
