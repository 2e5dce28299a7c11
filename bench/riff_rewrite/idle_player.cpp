// The benchmark rewrites files with no track loaded and no player library: these stand in for
// the player calls the title writer makes.
#include "playback/mpeg_libraries.h"
#include "playback/playback_control.h"

int PlayerCheckInfo(const char*, void*, void*, int32_t* codeOut) {
    if (codeOut) *codeOut = MPEG_UNAVAILABLE;
    return 0;
}
int GetTrackStatus() { return TRACK_STATUS_UNKNOWN; }
int GetTrackPath(char* pathOut) {
    pathOut[0] = 0;
    return 1;
}
int CloseTrack() { return 0; }
int OpenTrack(const char*) { return 0; }
