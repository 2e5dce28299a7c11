// The mixer seam on Windows: the multimedia mixer calls, with the platform's records turned into
// the deck's plain ones and MMSYSERR_NOERROR turned into 1.
#include "hardware/mixer_platform.h"

#include <cstring>
#include <vector>
#include <windows.h>
#include <mmsystem.h>

namespace {
HMIXEROBJ Obj(uintptr_t handle) { return (HMIXEROBJ)(HMIXER)handle; }

void Take(const MIXERLINEA& line, MixerLineRecord* out) {
    out->lineId = line.dwLineID;
    out->componentType = line.dwComponentType;
    out->channels = line.cChannels;
    out->sourceCount = line.cConnections;
    out->controlCount = line.cControls;
}

int LineInfo(uintptr_t handle, MIXERLINEA* line, DWORD flags, MixerLineRecord* lineOut) {
    *lineOut = MixerLineRecord();
    line->cbStruct = sizeof *line;
    if (mixerGetLineInfoA(Obj(handle), line, flags) != MMSYSERR_NOERROR) return 0;
    Take(*line, lineOut);
    return 1;
}

int Details(uintptr_t handle, uint32_t controlId, uint32_t channels, uint32_t items, int32_t* values, int set) {
    MIXERCONTROLDETAILS d = {};
    d.cbStruct = sizeof d;
    d.dwControlID = controlId;
    d.cChannels = channels;
    d.cMultipleItems = items > 1 ? items : 0;
    d.cbDetails = sizeof(int32_t);
    d.paDetails = values;
    MMRESULT r = set ? mixerSetControlDetails(Obj(handle), &d, MIXER_SETCONTROLDETAILSF_VALUE)
                     : mixerGetControlDetailsA(Obj(handle), &d, MIXER_GETCONTROLDETAILSF_VALUE);
    return r == MMSYSERR_NOERROR;
}
}  // namespace

uint32_t PlatformMixerCount() { return mixerGetNumDevs(); }

int PlatformMixerName(uint32_t mixerId, char* nameOut) {
    nameOut[0] = 0;
    MIXERCAPSA caps = {};
    if (mixerGetDevCapsA(mixerId, &caps, sizeof caps) != MMSYSERR_NOERROR) return 0;
    lstrcpynA(nameOut, caps.szPname, MIXER_NAME_BYTES);
    return 1;
}

int PlatformMixerDestinationCount(uint32_t mixerId, uint32_t* countOut) {
    *countOut = 0;
    MIXERCAPSA caps = {};
    if (mixerGetDevCapsA(mixerId, &caps, sizeof caps) != MMSYSERR_NOERROR) return 0;
    *countOut = caps.cDestinations;
    return 1;
}

int PlatformMixerOpen(uint32_t mixerId, uintptr_t* handleOut) {
    *handleOut = 0;
    HMIXER h = nullptr;
    if (mixerOpen(&h, mixerId, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR || !h) return 0;
    *handleOut = (uintptr_t)h;
    return 1;
}

void PlatformMixerClose(uintptr_t handle) {
    if (handle) mixerClose((HMIXER)handle);
}

int PlatformMixerDestination(uintptr_t handle, uint32_t destination, MixerLineRecord* lineOut) {
    MIXERLINEA line = {};
    line.dwDestination = destination;
    return LineInfo(handle, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION, lineOut);
}

int PlatformMixerSource(uintptr_t handle, uint32_t destination, uint32_t source, MixerLineRecord* lineOut) {
    MIXERLINEA line = {};
    line.dwDestination = destination;
    line.dwSource = source;
    return LineInfo(handle, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE, lineOut);
}

int PlatformMixerLine(uintptr_t handle, uint32_t lineId, MixerLineRecord* lineOut) {
    MIXERLINEA line = {};
    line.dwLineID = lineId;
    return LineInfo(handle, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_LINEID, lineOut);
}

int PlatformMixerControls(uintptr_t handle, uint32_t lineId, uint32_t count, MixerControlRecord* controlsOut) {
    static_assert(sizeof(MIXERCONTROLA) == 148, "the platform's control record");
    std::vector<MIXERCONTROLA> controls(count);
    MIXERLINECONTROLSA lc = {};
    lc.cbStruct = sizeof lc;
    lc.dwLineID = lineId;
    lc.cControls = count;
    lc.cbmxctrl = sizeof(MIXERCONTROLA);
    lc.pamxctrl = controls.data();
    if (mixerGetLineControlsA(Obj(handle), &lc, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL) != MMSYSERR_NOERROR)
        return 0;
    for (uint32_t i = 0; i < count; ++i) {
        const MIXERCONTROLA& c = controls[i];
        MixerControlRecord& out = controlsOut[i];
        out.controlId = c.dwControlID;
        out.type = c.dwControlType;
        out.flags = c.fdwControl;
        out.multipleItems = c.cMultipleItems;
        int isSigned = (c.dwControlType & MIXERCONTROL_CT_UNITS_MASK) == MIXERCONTROL_CT_UNITS_SIGNED ||
                       (c.dwControlType & MIXERCONTROL_CT_UNITS_MASK) == MIXERCONTROL_CT_UNITS_DECIBELS;
        out.minimum = isSigned ? (int64_t)c.Bounds.lMinimum : (int64_t)c.Bounds.dwMinimum;
        out.maximum = isSigned ? (int64_t)c.Bounds.lMaximum : (int64_t)c.Bounds.dwMaximum;
    }
    return 1;
}

int PlatformMixerGetValues(uintptr_t handle, uint32_t controlId, uint32_t channels, uint32_t items,
                           int32_t* valuesOut) {
    std::memset(valuesOut, 0, sizeof(int32_t) * channels * items);
    return Details(handle, controlId, channels, items, valuesOut, 0);
}

int PlatformMixerSetValues(uintptr_t handle, uint32_t controlId, uint32_t channels, uint32_t items,
                           const int32_t* values) {
    int32_t copy[MIXER_MAX_VALUES];
    if (channels * items > MIXER_MAX_VALUES) return 0;
    std::memcpy(copy, values, sizeof(int32_t) * channels * items);
    return Details(handle, controlId, channels, items, copy, 1);
}
