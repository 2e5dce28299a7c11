// Test material for the quality benchmark, made by our own generator so every run measures the
// same samples: broadband music-like material (plucked strings, a bass, a detuned pad, hi-hats,
// a kick, a noise bed and a slow sweep to 20 kHz), castanet-like clacks and a click train. The
// transient signals report the sample where each onset starts.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "tavenc/enc_test_util.h"

namespace quality {

struct Signal {
    enctest::Pcm pcm;
    std::vector<size_t> onsets;  // sample frames where a transient starts
};

// Deterministic white noise in [-1, 1).
struct Noise {
    uint32_t state;
    double Next() {
        state = state * 1664525u + 1013904223u;
        return double(state >> 8) / 8388608.0 - 1.0;
    }
};

inline int16_t ToSample(double v) {
    long s = std::lround(v * 32767.0);
    return int16_t(s > 32767 ? 32767 : (s < -32768 ? -32768 : s));
}

inline Signal MusicMix(int rate, double seconds) {
    const double pi = 3.14159265358979323846;
    const size_t n = size_t(rate * seconds);
    std::vector<double> l(n, 0.0), r(n, 0.0);
    Noise noise{12345u};
    auto add = [&](size_t at, double v, double pan) {
        if (at >= n) return;
        l[at] += v * (1.0 - pan);
        r[at] += v * pan;
    };
    const double beat = 0.25;  // seconds
    static const double SCALE[8] = {196.0, 220.0, 246.9, 293.7, 329.6, 392.0, 440.0, 493.9};
    for (size_t b = 0; b * beat < seconds; ++b) {
        const size_t at = size_t(b * beat * rate);
        // plucked string (Karplus-Strong): bright attack, partials to several kHz
        {
            const double f = SCALE[(b * 5) % 8] * (b % 3 == 0 ? 2.0 : 1.0);
            std::vector<double> loop(size_t(rate / f));
            for (double& x : loop) x = noise.Next();
            for (size_t i = 0; i < size_t(0.6 * rate); ++i) {
                size_t k = i % loop.size();
                double v = loop[k];
                loop[k] = 0.996 * 0.5 * (v + loop[(k + 1) % loop.size()]);
                add(at + i, 0.22 * v, 0.3);
            }
        }
        // hi-hat on every beat: high-passed noise, 40 ms
        {
            double prev = 0.0;
            for (size_t i = 0; i < size_t(0.04 * rate); ++i) {
                double x = noise.Next(), hp = x - prev;
                prev = x;
                add(at + i, 0.08 * hp * std::exp(-double(i) / (0.008 * rate)), 0.7);
            }
        }
        // kick every second beat: a falling sine with a click on top
        if (b % 2 == 0)
            for (size_t i = 0; i < size_t(0.2 * rate); ++i) {
                double t = double(i) / rate;
                double ph = 2 * pi * (50.0 * t + 60.0 * (1.0 - std::exp(-t * 30.0)) / 30.0);
                add(at + i, 0.35 * std::sin(ph) * std::exp(-t * 18.0), 0.5);
            }
    }
    double bassPhase = 0.0, sweepPhase = 0.0, lp = 0.0;
    double padPhase[3] = {0, 0, 0};
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        // bass: a saw through a one-pole lowpass, one note per bar
        const double fb = SCALE[(size_t(t) * 3) % 8] / 4.0;
        bassPhase += fb / rate;
        bassPhase -= std::floor(bassPhase);
        lp += 0.05 * ((2.0 * bassPhase - 1.0) - lp);
        // pad: three detuned saws, slowly swelling
        double pad = 0.0;
        for (int k = 0; k < 3; ++k) {
            padPhase[k] += SCALE[(size_t(t / 2) + 2 * k) % 8] * (1.0 + 0.003 * k) / rate;
            padPhase[k] -= std::floor(padPhase[k]);
            pad += 2.0 * padPhase[k] - 1.0;
        }
        // sweep 20 Hz to 20 kHz over the whole piece, quiet
        const double fs = 20.0 * std::pow(1000.0, t / seconds);
        sweepPhase += fs / rate;
        const double sweep = 0.03 * std::sin(2 * pi * sweepPhase);
        const double bed = 0.015 * noise.Next();
        const double swell = 0.5 + 0.5 * std::sin(2 * pi * t / 4.0);
        l[i] += 0.2 * lp + 0.035 * pad * swell + sweep + bed;
        r[i] += 0.2 * lp + 0.035 * pad * (1.0 - swell) + sweep + 0.015 * noise.Next();
    }
    Signal s;
    s.pcm.rate = rate;
    s.pcm.channels = 2;
    s.pcm.samples.resize(2 * n);
    for (size_t i = 0; i < n; ++i) {
        s.pcm.samples[2 * i] = ToSample(l[i]);
        s.pcm.samples[2 * i + 1] = ToSample(r[i]);
    }
    return s;
}

// Castanet-like clacks: a few milliseconds of resonant noise (2-5 kHz) that starts at full
// strength, irregularly spaced over a quiet low tone, the same in both channels.
inline Signal Castanets(int rate, double seconds) {
    const double pi = 3.14159265358979323846;
    const size_t n = size_t(rate * seconds);
    Signal s;
    s.pcm.rate = rate;
    s.pcm.channels = 2;
    s.pcm.samples.resize(2 * n);
    std::vector<double> x(n, 0.0);
    Noise noise{777u};
    for (size_t i = 0; i < n; ++i) x[i] = 0.01 * std::sin(2 * pi * 150.0 * double(i) / rate);
    size_t at = size_t(0.3 * rate);
    while (at + size_t(0.05 * rate) < n) {
        s.onsets.push_back(at);
        const double f = 2500.0 + 2000.0 * (noise.Next() * 0.5 + 0.5);
        // two-pole resonator excited by a decaying noise burst
        const double rr = 0.97, c = 2 * rr * std::cos(2 * pi * f / rate);
        double y1 = 0, y2 = 0;
        for (size_t i = 0; i < size_t(0.03 * rate); ++i) {
            double e = noise.Next() * std::exp(-double(i) / (0.002 * rate));
            double y = e + c * y1 - rr * rr * y2;
            y2 = y1;
            y1 = y;
            x[at + i] += 0.12 * y;
        }
        at += size_t((0.18 + 0.12 * (noise.Next() * 0.5 + 0.5)) * rate);
    }
    for (size_t i = 0; i < n; ++i) s.pcm.samples[2 * i] = s.pcm.samples[2 * i + 1] = ToSample(x[i]);
    return s;
}

// A click train: single loud samples five times a second over a quiet tone.
inline Signal Clicks(int rate, double seconds) {
    const double pi = 3.14159265358979323846;
    const size_t n = size_t(rate * seconds);
    Signal s;
    s.pcm.rate = rate;
    s.pcm.channels = 2;
    s.pcm.samples.resize(2 * n);
    for (size_t i = 0; i < n; ++i) {
        double v = 0.01 * std::sin(2 * pi * 330.0 * double(i) / rate);
        if (i % size_t(rate / 5) == size_t(rate / 10)) v += 0.7;
        s.pcm.samples[2 * i] = s.pcm.samples[2 * i + 1] = ToSample(v);
    }
    for (size_t at = size_t(rate / 10); at < n; at += size_t(rate / 5)) s.onsets.push_back(at);
    return s;
}

}  // namespace quality
