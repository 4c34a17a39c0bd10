// Reading INI files (the profile functions).
//
// A file is read and parsed once for the calls that follow; it is read again when it has changed
// (a file written in the last two seconds is read at each call and parsed again only when its
// bytes differ). Only a regular file of at most 64 KiB is read: anything else reads as missing,
// and a longer file is named once on stderr. Section and key names match without regard to ASCII case;
// names and values are trimmed of blanks and a value in double quotes loses them; lines
// starting with ';' are comments. A section or key named twice is listed twice, and a lookup
// finds the first. A bare file name is taken relative to the current folder.
#pragma once

#include "platform/win32/types.h"

// Fills buffer with the section names, each ended by NUL, the list ended by one more NUL.
// Returns the characters copied without the final NUL; size - 2 when the list was cut.
DWORD GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD size, LPCSTR fileName);

// One value (key given) or the list of the section's keys (key null, same list form and cut
// rule as above). A missing section or key gives defaultText. For a value the result is its
// length; a value cut to fit gives size - 1.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer, DWORD size,
                               LPCSTR fileName);
