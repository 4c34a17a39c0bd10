// A compiled script file as the scripts read it: its directory (where each script's body starts)
// and what the file is, so that a file rewritten since is read again.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "TCommon/TByteReader.h"
#include "TCommon/TFile.h"

// No file is held open between reads: the file is opened for its directory and closed, and opened
// again for each body a script is read from. A file that is no longer the one its directory was
// read from has its directory read again before a body is read from it. A manager keeps one for
// each file its scripts come from, so a name the file does not have is never read for again.
class TScriptFile {
public:
    enum Lookup { kFound, kUnreadable, kBrokenDirectory, kMissing, kTooLong };
    // Whether the file stays open after its directory, for the body read next (which closes it).
    enum Hold { kClose, kHoldForBody };

    // What tells a file from another and from itself rewritten: its volume and index (the same
    // file whatever name reached it), its size, its last write time (which copies and unpackers
    // set back) and its last status change (which no tool sets back).
    struct Identity {
        bool known = false;
        std::uint64_t volume = 0;
        std::uint64_t index = 0;
        std::uint64_t size = 0;
        std::uint64_t written = 0;
        std::uint64_t changed = 0;

        // Never for an identity that could not be told.
        bool Same(const Identity& other) const
        {
            return known && other.known && volume == other.volume && index == other.index && size == other.size &&
                   written == other.written && changed == other.changed;
        }
    };

    // Reads the directory; what cannot be read is told by Find, to each script asking.
    explicit TScriptFile(const std::string& path, Hold hold = kClose);
    ~TScriptFile();
    TScriptFile(const TScriptFile&) = delete;
    TScriptFile& operator=(const TScriptFile&) = delete;

    // Where the first script of the name starts, by the directory as last read. A directory broken
    // before the name is reached is broken for it.
    Lookup Find(const std::string& name, std::uint32_t& offset) const;
    // Opens the file to read the body of the name (the file held open since its directory was read
    // is taken as it is), first reading the directory again when the file has changed; then Find.
    // The file stays open until Close, whatever the answer.
    Lookup OpenFor(const std::string& name, std::uint32_t& offset);
    void Close();
    // Whether the path still leads to the file the directory was read from, as it was then (or,
    // when the file could not be opened, still to none that opens): one opening by the path to
    // ask, nothing read.
    bool Unchanged();
    // How often the directory was read again, the file found changed.
    std::uint32_t Rereadings() const { return m_rereadings; }

    // The reader of the open file.
    TByteReader& Reader() { return *m_reader; }
    // The system's error that kept the file from opening the last time (ERROR_SUCCESS when it opened).
    DWORD Error() const { return m_error; }
    const std::string& GetPath() const { return m_file.GetPath(); }

private:
    // Opens the file and notes what it is; false (the error kept) when it cannot be opened.
    bool OpenFile();
    void ReadDirectory();

    TFile m_file;
    bool m_open = false;
    bool m_read = false;
    bool m_broken = false;
    bool m_tooLong = false;
    // What the file was at its last opening.
    Identity m_identity;
    DWORD m_error = 0;
    std::uint32_t m_rereadings = 0;
    std::map<std::string, std::uint32_t> m_offsets;
    // Reads of the open file; released with the file.
    std::optional<TByteReader> m_reader;
};
