// Record file naming: the base path ("RecFileName"), the running number and the extension of the
// record format make each new record file's name; EnterRecStandby (declared with the deck's
// keys) prepares that file and arms the recorder.
#pragma once

enum { RECORD_NAME_BYTES = 260, RECORD_DIALOG_BYTES = 256 };

int ChooseRecordFile();                                   // "Recording file name ..."
// EnterRecStandby for a timer: without a usable base path it records into the default folder
// rather than asking for a name, and the status line then shows the file's whole path.
int EnterUnattendedStandby();
void MakeDefaultBase(char* pathOut, const char* prefix);  // documents folder, else program folder
int IsUsableFolder(const char* path);                     // the base path's folder can take a recording
void SetBaseFromChosenName(const char* path);             // base, number and format from a chosen name

unsigned GetRecordNumber();       // the number the next search starts from
const char* RecordDisplayName();  // its name and extension, for the status line
int RecordFileIsPrepared();       // the recorder holds a record file name (RecStandby)

void ResetRecordNamingForTest();  // number back to 1, no prepared file
