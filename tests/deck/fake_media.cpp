// Fake media probe and titles for the deck tests, answering from the world's file table. (Kept
// apart from the device fake: the two headers both name a channel-status size.)
#include <cstring>

#include "deck_fakes.h"
#include "media/media_probe.h"
#include "media/titles.h"

// --- media ----------------------------------------------------------------------------------
int GetMediaInfo(const char* path, MediaInfo* infoOut) {
    const FakeFile* f = FindFakeFile(path);
    if (!f || !f->playable) return 0;
    *infoOut = MediaInfo{};
    infoOut->kind = (uint16_t)f->kind;
    infoOut->sampleRate = f->rate;
    infoOut->lengthMs = f->lengthMs;
    infoOut->channels = 2;
    infoOut->bitsPerSample = 16;
    return 1;
}
int GetPlayKind(const char* path, int* kindOut) {
    const FakeFile* f = FindFakeFile(path);
    if (!f) return 0;
    *kindOut = f->playable ? PLAY_RIFF : PLAY_NONE;
    return 1;
}
int GetTitleField(const char* path, int field, char* bufferOut, int source) {
    const FakeFile* f = FindFakeFile(path);
    if (!f) return 0;
    if (field == FIELD_CHANNEL_STATUS) {
        std::memcpy(bufferOut, f->status, 4);
        bufferOut[4] = 0;
        return 0;
    }
    std::strcpy(bufferOut, f->title.empty() ? path : f->title.c_str());
    return !f->title.empty();
}
