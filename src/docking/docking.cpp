// Docking beside the selector: the deck's side of the protocol and the placement rules over the
// docking windows seam (dock_windows.h). Geometry lives in docking_rules.cpp.
#include "docking/docking.h"
#include "docking/dock_windows.h"
#include "docking/docking_rules.h"
#include "base/window_messages.h"
#include "settings/settings.h"
#include <cstdio>

namespace {
const char SELECTOR_PROGRAM[] = "Pindaro.exe";
const char SELECTOR_SWITCH[] = "/DOCKING";
enum { DRAG_PAIR = 0, DRAG_PULL_AWAY = 1, DRAG_UNDOCKED = 2 };

struct DockingModule {
    int dockSide;      // 0 undocked, 1 right of the selector, 2 below, 3 left, 4 above
    int docked;        // dockSide != 0, or docking confirmed by the selector
    long dockScale;    // the selector's size factor as it last reported it
    int dragMode;      // DRAG_*; DRAG_UNDOCKED while no drag runs
    int dragging;      // the left button is down on the face
    int grabX, grabY;  // where in the deck's window the face was grabbed
    PlaceRect atGrab;  // the deck's window at mouse-down (pull-away drags)
    int inputNotices;  // input changes announced
};
const DockingModule START = {
    0, 0, 1, DRAG_UNDOCKED, 0, 0, 0, {0, 0, 0, 0},
           0
};
DockingModule g_dock = START;

long FaceScale() { return (long)FaceScaleOf(Layout().mag); }
int SameRect(const PlaceRect& a, const PlaceRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
}  // namespace

int SetDock(int side) {
    g_dock.dockSide = side;
    g_dock.docked = side != 0;
    SendToSelector(SELECTOR_MSG_DOCK_SIDE, side);
    PlaceRect s, d;
    if (side >= 1 && side <= 4 && SelectorRect(&s) && DeckRect(&d)) {
        int left = d.left, top = d.top;
        DockedPlace(side, s, d, &left, &top);
        MoveDeck(left, top, 0);
    }
    return 1;
}

void Undock() { SetDock(DOCK_NONE); }

int DetectDock() {
    if (FaceScale() != g_dock.dockScale || !FindSelector()) return 0;
    if (SelectorMinimised()) {
        SetDock(DOCK_NONE);
        return 0;
    }
    PlaceRect s, d;
    int side = SelectorRect(&s) && DeckRect(&d) ? ChooseDockSide(d, s) : DOCK_NONE;
    SetDock(side);
    return side != DOCK_NONE;
}

int DockAtStart() {
    PlaceRect s, d;
    if (FaceScale() != g_dock.dockScale || SelectorMinimised() || !SelectorRect(&s) || !DeckRect(&d)) return 0;
    return SetDock(StartDockSide(s.top, d.bottom - d.top));
}

void NotifyDockSide() {
    if (g_dock.docked) SendToSelector(SELECTOR_MSG_DOCK_SIDE, g_dock.dockSide);
}

void SnapToScreen() {
    PlaceRect desk, d;
    DeskRect(&desk);
    if (DeckRect(&d)) {
        int left = d.left, top = d.top;
        SnapToScreenEdges(desk, d, &left, &top);
        if (left != d.left || top != d.top) MoveDeck(left, top, 0);
    }
    NotifyDockSide();
}

int DragHalfTest(int x, int y) {
    if (!g_dock.docked || FaceScale() != g_dock.dockScale || SelectorMinimised()) return DRAG_UNDOCKED;
    PlaceRect d;
    if (!FindSelector() || g_dock.dockSide < 1 || g_dock.dockSide > 4 || !DeckRect(&d)) return DRAG_PAIR;
    return GrabbedHalf(g_dock.dockSide, d.right - d.left, d.bottom - d.top, x, y);
}

void LaunchOrRaiseSelector() {
    if (!FindSelector()) {
        char commandLine[64];
        std::snprintf(commandLine, sizeof commandLine, "%s %s", SELECTOR_PROGRAM, SELECTOR_SWITCH);
        StartSelector(commandLine);  // a failed launch is not reported
        return;
    }
    RaiseSelector();
    PlaceRect s;
    if (SelectorRect(&s)) {
        int width = 0, height = 0, left = s.left, top = s.top;
        ScreenSize(&width, &height);
        PullOntoScreen(s, width, height, &left, &top);
        MoveSelector(left, top);
    }
    if (!DetectDock()) SnapToScreen();
    AnnounceDeckPlace();
}

void AnnounceDeckPlace() { SendToSelector(SELECTOR_MSG_PLACE, 0); }

// Message 1025 carries the size factor both ways. The selector reports its factor with it and the
// deck compares that with its own before docking, so the deck's 1025 is the same quantity; the
// face mode (normal or thin) changes no docking rule and is not sent.
void AnnounceDeckWindow() {
    SendToSelector(SELECTOR_MSG_SCALE, FaceScale());
    SendToSelector(SELECTOR_MSG_ASK_SCALE, 0);
}
void AnswerSelectorMag() { SendToSelector(SELECTOR_MSG_SCALE, FaceScale()); }

void DeckSizeChanged() {
    Undock();
    SendToSelector(SELECTOR_MSG_SCALE, FaceScale());
}

void AnnounceDeckGoes() { Undock(); }

void NotifySelectorInputChanged() {
    g_dock.inputNotices++;
    SendToSelector(SELECTOR_MSG_INPUT_CHANGED, 0);
}

void RecordSelectorScale(void* from, long scale) {
    void* selector = FindSelector();
    if (selector && from == selector) g_dock.dockScale = scale;
}

void RecordSelectorSide(void* from, int selectorSide) {
    void* selector = FindSelector();
    if (!selector || from != selector) return;
    int side = DeckSideFromSelectorSide(selectorSide);
    if (side == DOCK_NONE) {
        g_dock.dockSide = DOCK_NONE;
        g_dock.docked = 0;
        return;
    }
    PlaceRect s, d;
    if (g_dock.docked && SelectorRect(&s) && DeckRect(&d)) {
        int left = d.left, top = d.top;
        DockedPlace(side, s, d, &left, &top);
        if (left != d.left || top != d.top) MoveDeck(left, top, 1);
    }
    g_dock.dockSide = side;
    g_dock.docked = 1;
}

void BeginFaceDrag(int x, int y) {
    g_dock.dragMode = DragHalfTest(x, y);
    DeckRect(&g_dock.atGrab);
    g_dock.dragging = 1;
    g_dock.grabX = x;
    g_dock.grabY = y;
    CaptureMouse(1);
}

// The window follows the cursor: (x, y) is where the cursor now is in the window, so the window
// moves by its distance from the grab point.
void MoveFaceDrag(int x, int y) {
    PlaceRect d;
    if (!g_dock.dragging || !DeckRect(&d)) return;
    if (x == g_dock.grabX && y == g_dock.grabY) return;
    MoveDeck(d.left + x - g_dock.grabX, d.top + y - g_dock.grabY, 0);
    if (g_dock.dragMode == DRAG_PAIR) NotifyDockSide();
}

void EndFaceDrag() {
    if (!g_dock.dragging) return;
    g_dock.dragging = 0;
    CaptureMouse(0);
    PlaceRect d = g_dock.atGrab;
    DeckRect(&d);
    if (g_dock.dragMode == DRAG_PULL_AWAY && !SameRect(d, g_dock.atGrab)) Undock();
    if (g_dock.dragMode == DRAG_PAIR) {
        SnapToScreen();
        SendToSelector(SELECTOR_MSG_PAIR_MOVED, 0);
    } else if (!DetectDock()) {
        SnapToScreen();
    }
    g_dock.dragMode = DRAG_UNDOCKED;
    if (DeckRect(&d)) {
        Layout().xo = d.left;
        Layout().yo = d.top;
    }
    AnnounceDeckPlace();
}

int DockSide() { return g_dock.dockSide; }
int IsDocked() { return g_dock.docked; }
long DockScale() { return g_dock.dockScale; }
int DragMode() { return g_dock.dragMode; }
int SelectorInputNotices() { return g_dock.inputNotices; }
void ResetDocking() { g_dock = START; }
