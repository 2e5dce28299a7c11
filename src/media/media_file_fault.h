// Test switches of the native media file seam. Fault injection: the n-th mutating call from
// now on (create, write, flush, truncate, replace, delete, counted together from 1) fails in
// the chosen way, and every later call works again. The Windows build has none of this.
#pragma once
#include <cstdint>
#include <string>

enum MediaFaultKind {
    MEDIA_FAULT_NONE = 0,
    MEDIA_FAULT_FAIL = 1,   // the call does nothing and fails
    MEDIA_FAULT_SHORT = 2,  // a write puts half its bytes and fails; other calls fail outright
};

void SetMediaFileFault(int kind, int nthCall);
// The MediaFileError an injected fault reports (MEDIA_ERROR_WRITE until set; reset with the
// fault).
void SetMediaFileFaultError(int error);
// The same calls by name, oldest first, one blank between: "create", "write", "copy",
// "truncate", "flush", "replace", "delete". A fault fails each call that is made, so it cannot
// show one that is missing; this order can (a flush left out before a replace).
std::string MediaFileCallNames();
// 1 when the armed fault has fired.
int MediaFileFaultFired();
// Files the seam holds open now (a leak check for tests).
int MediaFilesOpen();

// The free space the native seam reports from now on; -1 asks the file system again.
void SetNativeFreeSpace(int64_t bytes);
