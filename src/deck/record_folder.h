// File-system and dialog services that record naming and stopping a recording need from the platform: folders, drive
// kinds, numbered files, the program's command line and the "Select Record filename" dialog.
#pragma once

enum { DRIVE_KIND_UNKNOWN = 0, DRIVE_KIND_NO_ROOT = 1, DRIVE_KIND_CDROM = 5 };

int FolderExists(const char* path);                         // 1 when path names an existing directory
int DriveKindOf(const char* root);                          // system drive type of "X:\"
int NumberedFileExists(const char* base, unsigned number);  // any file "<base><nnn>.*"
int DeleteRecording(const char* path);                      // removes a record file; 1 when it is gone
int ProgramCommandLine(char* textOut, int bytes);
// The save dialog on a 256-byte name buffer; 1 when a name was chosen (the buffer then holds
// it), 0 when cancelled (the buffer is unchanged).
int RunRecordNameDialog(char* nameInOut);
