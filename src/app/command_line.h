// The command line of a start: the "/DOCKING" switch, and which arguments are files. The same
// rules pick the files handed to a running deck and the files a new deck opens.
#pragma once

// 1 when arg is exactly "/DOCKING" in any mix of case.
int IsDockingSwitch(const char* arg);

// 1 when arg is not a file: it begins with '/', or it contains "MOVELLO.EXE" in any case (the
// program's own path).
int IsSkippedArgument(const char* arg);

// Walks every argument (the program's path included); returns 1 when the docking switch is present.
int FindDockingSwitch(int argc, char** argv);

// Number of file arguments, and the i-th of them (0-based; null past the end).
int CountFileArguments(int argc, char** argv);
const char* FileArgumentAt(int argc, char** argv, int index);

// dwData of the index-th file a second start hands over: 1 for the first, 0 after.
unsigned long HandOffTag(int index);
