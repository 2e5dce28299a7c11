// The deck's side of remote control: a request from qdctl runs through the same deck operations
// and refusals as the face's keys, and the reply tells the caller what became of it and the
// state the deck is in afterwards.
#pragma once
#include <cstddef>

#include "app/remote_protocol.h"

// Reads and runs one request. deckAnswering is 0 while a box or dialog of the deck is open (the
// main window is disabled then): every command but status is refused, as the keys are. Refusals
// that a message of the string table words carry its id in messageId; the shell fills in the text.
RemoteReply RunRemoteRequest(const char* data, size_t bytes, int deckAnswering);

// The deck's status as a reply reports it.
RemoteStatus CurrentRemoteStatus();

// Win32: WM_COPYDATA with REMOTE_REQUEST_TAG. replyWindow (wParam) is the caller's window, which
// must belong to a process of the deck's own user; the reply goes back to it as WM_COPYDATA with
// REMOTE_REPLY_TAG. Returns 1 when a reply was delivered.
long OnRemoteRequest(void* replyWindow, const void* data, unsigned long bytes);

void ResetRemoteCommandsForTest();
