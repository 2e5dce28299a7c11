// Native face: redraw requests are counted for the tests.
#include "display/face_redraw.h"

namespace {
struct RedrawLog {
    int count[FACE_EL_COUNT];  // requests per element
};
RedrawLog g_log;
}  // namespace

void RedrawFaceElement(int element) {
    if (element >= 0 && element < FACE_EL_COUNT) ++g_log.count[element];
}

int FaceRedrawCount(int element) { return element >= 0 && element < FACE_EL_COUNT ? g_log.count[element] : 0; }
void ResetFaceRedrawCounts() { g_log = RedrawLog{}; }
