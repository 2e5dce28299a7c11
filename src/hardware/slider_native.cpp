// Native sliders: no windows, only the values the face last set, for tests.
#include "hardware/slider.h"

namespace {
struct SliderValues {
    int value[SLIDER_COUNT];  // volume, position
};
SliderValues g_values;

int IndexOfId(int controlId) {
    for (int i = 0; i < SLIDER_COUNT; ++i)
        if (SliderRows()[i].controlId == controlId) return i;
    return -1;
}
}  // namespace

int RegisterSliderClass(void*) { return 1; }
void UnregisterSliderClass(void*) {}
int CreateSliders(void*, void*) { return 1; }
void DestroySliders() {}
void LayoutSliders() {}
void RedrawSliders() {}

void SetSliderValue(int controlId, int value) {
    int i = IndexOfId(controlId);
    if (i >= 0) g_values.value[i] = value;
}

int SliderValue(int controlId) {
    int i = IndexOfId(controlId);
    return i < 0 ? 0 : g_values.value[i];
}
