// Test stand-ins for the player library's file check and for playback control, so the media
// modules are tested without the decoder or a playing track.
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

// Playback control: the status GetTrackStatus reports, the loaded path, and the calls made.
void FakeTrackSet(int status, const char* path);
const std::vector<std::string>& FakeTrackCalls();  // "close", "open:<path>"
