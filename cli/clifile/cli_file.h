// Output files of the command-line codec tools: written whole or not at all. The data goes to
// a temporary file beside the target and replaces it only when every write and the close
// succeeded, so a full disk, a file-size limit or a bad input never leaves a half file behind,
// and an existing target stays byte for byte what it was until the new one is complete. The new
// file takes the target's name, permission bits and (where allowed) owner; a symbolic link is
// followed and stays a link, while other hard links of the target keep the old content.
#pragma once
#include <cstdio>
#include <string>

struct CliOutput {
    FILE* file = nullptr;  // write here (the temporary file, or stdout for "-")
    std::string target;    // the file that is replaced on commit (symbolic links followed)
    std::string temp;      // the temporary file; empty for stdout
    int toStdout = 0;
};

// 1 when both paths name one existing file (another spelling, a symbolic or a hard link).
int CliSameFile(const char* a, const char* b);

// Opens the output for path ("-" = standard output). Returns 0 with errno set on failure.
// Also keeps a file-size limit from killing the process, so its write fails and is reported.
int CliOutputOpen(CliOutput* out, const char* path);

// Flushes and closes the output and puts it in place of the target, which keeps its
// permission bits. Returns 0 with errno set when any write so far, the close or the rename
// failed; the temporary file is then removed and the target is untouched.
int CliOutputCommit(CliOutput* out);

// Closes and removes the temporary file; the target is untouched.
void CliOutputDiscard(CliOutput* out);
