// Helpers shared by the media tests: a scratch folder per test, running the audio tools that
// make the real files, and file bytes in and out.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// A fresh folder under the system temp folder, removed with everything in it at destruction.
struct ScratchDir {
    std::string path;
    ScratchDir();
    ~ScratchDir();
    std::string File(const std::string& name) const { return path + "/" + name; }
};

// Runs a shell command (its output discarded); true when it exited 0.
bool Shell(const std::string& command);
// Runs a command and returns what it printed on stdout.
std::string Capture(const std::string& command);

Bytes ReadAll(const std::string& path);
void WriteAll(const std::string& path, const Bytes& bytes);
void AppendBytes(Bytes* to, const void* data, size_t n);
void AppendText(Bytes* to, const char* text);  // without the zero
void AppendLe32(Bytes* to, uint32_t v);
uint32_t Le32At(const Bytes& b, size_t at);

// The audio samples of a file as the named tool decodes them: 16-bit little-endian PCM.
Bytes DecodeWithFfmpeg(const std::string& path);
Bytes DecodeWithSox(const std::string& path);

// Puts a title trailer (one "DISP" chunk with the title and the footer) in front of the ID3v1
// tag at the end of the file, as another program of ours would have written it.
void PutTrailerBeforeTag(const std::string& path, const char* title);

// A MIDI file: header, and tracks given as raw event bytes (each ends with end-of-track).
Bytes MakeMidi(uint16_t division, const std::vector<Bytes>& tracks);
