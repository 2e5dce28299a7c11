// The windows docking works on: the selector's window (found by its class each time), the deck's
// own window, the screen and the mouse. Win32 in dock_windows_win32.cpp; the native build keeps a
// scripted selector and deck and records every message sent, for the docking tests.
#pragma once
#include "docking/docking_rules.h"

// The selector's window, or null when no window of the class "Vornex_Selector" exists.
void* FindSelector();
int SelectorRect(PlaceRect* rectOut);  // 0 when there is no selector
int SelectorMinimised();               // 1 when the selector exists and is minimised
// Sends message (wParam: the deck's window) to the selector and waits for it to be handled; 0 when
// there is no selector or it did not answer.
int SendToSelector(unsigned message, long lParam);
void MoveSelector(int left, int top);        // position only
void RaiseSelector();                        // restores a minimised selector, brings it and its popup up
int StartSelector(const char* commandLine);  // shown normally; 1 when the program started

int DeckRect(PlaceRect* rectOut);               // the deck's window in screen coordinates; 0 before it exists
void MoveDeck(int left, int top, int topmost);  // position only; topmost 1 also puts it on top
void DeskRect(PlaceRect* rectOut);              // the desktop window's client area
void ScreenSize(int* widthOut, int* heightOut);
void CaptureMouse(int on);  // the deck's window takes (1) or releases (0) the mouse

// Native build only: the scripted windows and what was sent.
struct SentToSelector {
    unsigned message;
    long lParam;
};
struct FakeDockWindows {
    int selectorExists;
    int selectorMinimised;
    PlaceRect selector;
    PlaceRect deck;
    PlaceRect desk;
    int deckTopmost;  // the deck was last moved with topmost
    int started;      // selector launches
    char lastCommandLine[300];
    SentToSelector sent[64];
    int sentCount;
};
FakeDockWindows& FakeDock();
void ResetFakeDock();
