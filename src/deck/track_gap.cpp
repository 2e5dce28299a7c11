// Track gap: between two tracks the deck plays about four seconds of silence at the next track's
// rate, so an external MiniDisc or DAT recorder on the digital output starts a new track. The
// marks it needs are channel-status values written at fixed moments of the gap.
#include "deck/track_gap.h"

#include "base/clock.h"
#include "deck/deck.h"
#include "deck/silence_files.h"
#include "hardware/device.h"
#include "playback/playback_control.h"
#include "settings/settings.h"

namespace {
enum {
    MD_MARK_AFTER_MS = 200,     // the MiniDisc mark goes out after this much silence
    MD_RESTORE_AFTER_MS = 500,  // and the track's own status after this much
    GAP_LENGTH_MS = 4000,       // then the next track starts
    GENERATION_BIT = 0x80,      // byte 1: the DAT mark is written only when this is clear
};

const uint8_t SAVED_BLOCK[4] = {0, 150, 0, 0};
const uint8_t MD_MARK[4] = {0, 22, 0, 0};
const uint8_t DAT_MARK[4] = {0, 6, 0, 0};
const uint8_t DAT_END[4] = {0, 150, 0, 0};

struct GapModule {
    int phase;       // GapPhase
    uint32_t start;  // GapStart: tick count when the gap began
};
GapModule g_gap;

void WriteBlock(const uint8_t block[4]) {
    if (!OpenDevice(DEVICE_NUMBER)) return;
    WriteOutputStatus(block);
    CloseDevice();
}

// Unsigned subtraction is taken modulo 2^32, so it stays exact when the tick count wraps
// (every 49.7 days) inside the gap.
uint32_t ElapsedSinceStart(uint32_t now) { return now - g_gap.start; }

int Mode() { return (int)Settings().playSpace; }
}  // namespace

int GetGapPhase() { return g_gap.phase; }
void SetGapPhase(int phase) { g_gap.phase = phase; }

void StartTrackGap(uint32_t trackRate) {
    PlaySilence(SilenceFilePath(trackRate));
    g_gap.phase = GAP_SILENCE;
    g_gap.start = TickCount();
    // The generation bit is read from the cued track's own status, the block PlayTrack writes
    // when that track starts; with the bit set the DAT start mark is left out.
    if (Mode() == PLAY_SPACE_DAT && !(GetTrackChannelStatus()[1] & GENERATION_BIT)) WriteBlock(DAT_MARK);
}

// One tick moves the gap by at most one phase, in this order.
void RunGapPhases() {
    uint32_t e = ElapsedSinceStart(TickCount());
    if (g_gap.phase == GAP_NEXT_STARTED) {
        if (Mode() == PLAY_SPACE_DAT) WriteBlock(GetTrackChannelStatus());
        g_gap.phase = GAP_NONE;
    }
    if (e > MD_RESTORE_AFTER_MS && g_gap.phase == GAP_FIRST_MARK) {
        if (Mode() == PLAY_SPACE_MD) WriteBlock(GetTrackChannelStatus());
        g_gap.phase = GAP_SECOND_MARK;
    }
    if (e > MD_MARK_AFTER_MS && g_gap.phase == GAP_SILENCE) {
        if (Mode() == PLAY_SPACE_MD) WriteBlock(MD_MARK);
        g_gap.phase = GAP_FIRST_MARK;
    }
    if (e > GAP_LENGTH_MS && g_gap.phase >= GAP_SECOND_MARK) {
        TransportOp(OP_PLAY);
        if (Mode() == PLAY_SPACE_DAT) WriteBlock(DAT_END);
        g_gap.phase = GAP_NEXT_STARTED;
    }
}

void WriteSavedStatus() { WriteBlock(SAVED_BLOCK); }

void WriteEndOfListStatus() {
    if (Mode() == PLAY_SPACE_MD) WriteBlock(MD_MARK);
    WriteBlock(SAVED_BLOCK);
}

void ResetTrackGapForTest() { g_gap = GapModule{}; }
