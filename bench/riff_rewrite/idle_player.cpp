// The benchmark rewrites files with no player library: this stands in for the library's file
// check the title writer makes.
#include "playback/mpeg_libraries.h"

int PlayerCheckInfo(const char*, void*, void*, int32_t* codeOut) {
    if (codeOut) *codeOut = MPEG_UNAVAILABLE;
    return 0;
}
