// A test stand-in for the player library's file check, so the media modules are tested without
// the decoder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The fake file check recognises files that start with an MPEG audio frame header and fills the
// information record from that header, as the library would.
void FakePlayerReset();
void FakePlayerSetPresent(int present);                     // 0: every check fails, as without the DLL
void FakePlayerSetReportedStatus(const uint8_t status[4]);  // bytes reported in the extended record
int FakePlayerCheckCount();
