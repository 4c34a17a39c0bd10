// A compiled script file as the scripts read it: what the file is, and its directory (where each
// script's body starts). Each opening of a script file, and the work it is, goes through here.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "TCommon/TByteReader.h"
#include "TCommon/TFile.h"
#include "platform/win32/file.h"

// One opening of a script file by its path; the file stays open while this lives. A CALL's
// opening reads no more of a folder than the frame has work left for (Pending): the next opening of
// the path goes on reading it.
class TScriptFileOpening {
public:
    // Why a script file is opened: each costs what ScriptPrice says of it.
    enum Purpose {
        kPushed,     // a scene starting its script: the scene's work, read whatever it takes
        kFirstCall,  // a CALL of a file part not asked for before
        kLook,       // a file part called before, looked at again in a later frame
        kBody,       // a file part looked at this frame, opened again for a body
        kResumed,    // a CALL given back while a folder was read for it: paid at its first try
    };

    // `end`: where the frame's work ends (ScriptWork tokens); UINT64_MAX for an opening that cannot
    // wait for a later frame.
    TScriptFileOpening(const std::string& path, Purpose purpose, std::uint64_t end);
    ~TScriptFileOpening();
    TScriptFileOpening(const TScriptFileOpening&) = delete;
    TScriptFileOpening& operator=(const TScriptFileOpening&) = delete;

    bool IsOpen() const { return m_reader.has_value(); }
    bool Pending() const;
    // ERROR_SUCCESS when it opened.
    DWORD Error() const { return m_error; }
    const platform::FileStamp& Stamp() const { return m_stamp; }
    TByteReader& Reader() { return *m_reader; }
    const std::string& GetPath() const { return m_file.GetPath(); }

private:
    TFile m_file;
    DWORD m_error = 0;
    platform::FileStamp m_stamp;
    std::optional<TByteReader> m_reader;
};

class TScriptFile {
public:
    enum Lookup { kFound, kBrokenDirectory, kMissing, kTooLong };

    // Reads the directory of an open file; the reading stops where `end` is reached (the names
    // not reached are kTooLong). What cannot be read is told by Find, to each script asking.
    TScriptFile(TScriptFileOpening& opening, std::uint64_t end);

    // Where the first script of the name starts. A directory broken before the name is reached is
    // broken for it.
    Lookup Find(std::string_view name, std::uint32_t& offset) const;
    // What the file was when its directory was read.
    const platform::FileStamp& Stamp() const { return m_stamp; }

private:
    platform::FileStamp m_stamp;
    bool m_broken = false;
    bool m_tooLong = false;
    std::map<std::string, std::uint32_t, std::less<>> m_offsets;
};
