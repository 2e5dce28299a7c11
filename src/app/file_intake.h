// Files that reach the deck from outside: the command line of its own start and the hand-offs of
// later starts. The first file of a start replaces the list and plays; the others are appended.
#pragma once

// Opens the files of the deck's own start (already in their long form); returns how many were
// handled.
int OpenStartFiles(const char* const* paths, int count);

// One file handed over by a later start: dwData not 0 replaces the list and plays it (falling
// back to appending when it cannot be opened), 0 appends it.
void TakeHandedFile(const char* path, unsigned long dwData);

// Files dropped on the face, in order: each is tried as a new list until one opens (it then
// plays, and every later file is appended); a file that does not open is appended and the next
// one tried. Returns the number of files.
int OpenDroppedFiles(const char* const* paths, int count);
void OnDropFiles(void* drop);  // WM_DROPFILES of the main window (Win32)

// A received path is to be turned into its long form only when the sender gave its short form,
// i.e. when it equals its own short form without regard to case.
int ReceivedPathNeedsLongForm(const char* received, const char* shortForm);

// The path text of a hand-off payload: at most outBytes - 1 bytes of it, ending at its first zero
// or at the payload's end (a sender need not include the zero), always terminated. Returns the
// length of the text.
int CopyHandedPath(const void* data, unsigned long bytes, char* out, int outBytes);
