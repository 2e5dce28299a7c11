// The parts of a path every layer asks for: its file name and its extension. Paths are ANSI
// text, so a two-byte character's second byte (a Shift-JIS trail byte can be 0x5C, '\\') is
// never taken for a separator.
#pragma once

// The file name of path: what follows its last separator ('\\', '/' or the drive's ':'); the
// whole path when it has none. Points into path.
const char* FileNameOf(const char* path);
// The file name's extension from its last dot, with the dot; "" (the end of path) when the name
// has no dot. A dot in a folder's name is no extension.
const char* ExtensionOf(const char* path);
// 1 when path's extension is ext (given with its dot), letter case aside.
int HasExtension(const char* path, const char* ext);
