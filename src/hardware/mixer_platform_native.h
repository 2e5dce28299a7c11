// Native build only: the scripted mixers behind the mixer seam. Tests describe mixers with their
// destinations, sources and controls, read back what the deck wrote, and can fail any one call.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "hardware/mixer_platform.h"

struct FakeMixerControl {
    MixerControlRecord record;
    std::vector<int32_t> values;  // channels x items, as last set (sized on first use)
};

struct FakeMixerLine {
    MixerLineRecord record;
    std::vector<FakeMixerControl> controls;
};

struct FakeMixerDestination {
    FakeMixerLine line;
    std::vector<FakeMixerLine> sources;
};

struct FakeMixer {
    std::string name;
    std::vector<FakeMixerDestination> destinations;
};

void SetFakeMixers(const std::vector<FakeMixer>& mixers);
std::vector<FakeMixer>& FakeMixers();  // the live state, values as the deck left them
// A line as Wine and most drivers present it: volume 0..65535 and mute, two channels.
FakeMixerLine MakeFakeLine(uint32_t lineId, uint32_t componentType, uint32_t firstControlId);
// The n-th platform mixer call from now (1 = the next) fails; 0 turns failing off.
void FailFakeMixerCall(int n);
int OpenFakeMixerHandles();      // opened and not yet closed
uint32_t LastOpenedFakeMixer();  // the mixer id of the last open
void ResetFakeMixers();
