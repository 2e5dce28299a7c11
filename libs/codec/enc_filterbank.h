// Polyphase analysis filterbank: splits PCM into 32 equal-width subbands, 32 input samples
// in, one sample per subband out. Shared by all three layers (layer III adds its MDCT on top).
#pragma once

struct EncFilterTables {
    float window[512];     // analysis window, in the order the sample history is kept
    float matrix[32][32];  // cosine modulation cos((2k+1)(i-16)pi/64), folded: [column][k]
};

struct EncFilterHistory {
    float x[992];  // input samples, newest first from x[pos]: the window is x[pos .. pos+511]
    int pos;       // moves down by 32 per call; at 0 the newest 480 samples go back to the top
};

void EncFilterInitTables(EncFilterTables* t);
void EncFilterReset(EncFilterHistory* h);
// in32: the next 32 samples in time order (full scale = 1.0); out32: one sample per subband.
void EncFilterRun(const EncFilterTables* t, EncFilterHistory* h, const float* in32, float* out32);
