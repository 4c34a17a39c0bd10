// The text of a file that could not be opened or read, for the error a loader throws and the
// line the script log writes: one failure reads alike wherever it is told.
#pragma once

#include <string>

#include "platform/win32/types.h"

// From the calling thread's last system error (call it straight after the failure): the name
// alone when the file (or a folder on its way) is missing, is no file the game may read (a folder
// under its name) or a read came up short; else the name and the system's reason, so that an
// intact file is not blamed ("data/ptx04/sprite.ptx : Too many open files").
std::string FileFailureText(const std::string& name);
// The same from an error kept since the failure, for a failure told later.
std::string FileFailureText(const std::string& name, DWORD error);

// The system's text for an error code of the platform, without its line end; empty when it has none.
std::string SystemErrorText(DWORD code);
