// Native build only: the stand-ins for the platform (windows, libraries, the registry, the USB
// host) note each call that starts or ends something, in order, so tests can check the orders
// the program depends on (a file closed before it is deleted, a library freed after the windows
// that use it). Only *_native.cpp files and tests include this header.
#pragma once
#include <string>
#include <vector>

void NoteNativeCall(const std::string& call);
const std::vector<std::string>& NativeCallsForTest();  // oldest first
void ResetNativeCallsForTest();
