// One script of a compiled script file, loaded by its key ("04.pbsc/Event04_00": file part,
// slash, script name) and run one statement per Step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "MainCode/Script/TScriptVarTable.h"
#include "TCommon/TFile.h"
#include "TCommon/TRefPtr.h"

class TScriptFileReader;
class TScriptLabel;
class TScriptStatement;

// The directory of a compiled script file: where each script's body starts. No file is held open
// between reads: the file is opened for its directory and closed, and opened again for each body a
// script is read from. A file whose size or time has changed since its directory was read has its
// directory read again before a body is read from it. A manager keeps one for the scripts its
// CALLs load, so a name the file does not have is never read for again.
class TScriptFile {
public:
    enum Lookup { kFound, kUnreadable, kBrokenDirectory, kMissing, kTooLong };
    // Whether the file stays open after its directory, for the body read next (which closes it).
    enum Hold { kClose, kHoldForBody };

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
    // Why the file could not be opened, when something other than its absence stopped it; else empty.
    const std::string& Reason() const { return m_reason; }
    const std::string& GetPath() const { return m_file.GetPath(); }

private:
    friend class TScript;
    // Opens the file and notes its size and time; false (the reason kept) when it cannot be opened.
    bool OpenFile();
    void ReadDirectory();

    TFile m_file;
    bool m_open = false;
    bool m_read = false;
    bool m_broken = false;
    bool m_tooLong = false;
    // The file's size and last write time when its directory was read.
    std::uint64_t m_size = 0;
    std::uint64_t m_time = 0;
    std::string m_reason;
    std::map<std::string, std::uint32_t> m_offsets;
    // Reads of the open file go through this buffer; released with the file.
    std::unique_ptr<TScriptFileReader> m_reader;
};

class TScript {
    friend struct TScriptProbe;
public:
    // A statement record takes at most this many bytes; a longer one is skipped unread (logged).
    static constexpr std::size_t kMaxStatementBytes = 65536;

    explicit TScript(const std::string& key);
    // The script of the key from a file already open (its file part's).
    TScript(const std::string& key, TScriptFile& file);
    // A task that runs the statements of a script already loaded, with its own position and locals.
    explicit TScript(const TRefPtr<TScript>& loaded);
    virtual ~TScript();
    TScript(const TScript&) = delete;
    TScript& operator=(const TScript&) = delete;

    // The folder, ending in "/", that the file part of a key is read from.
    static void SetDirectory(const std::string& folder);
    static const std::string& GetDirectory();
    // Text before the first "/" and text after it; both empty without a "/" or with one in front.
    static void SplitKey(const std::string& key, std::string& filePart, std::string& scriptName);

    // A script that cannot be read whole is left empty (it ends at its first step) and logged. A load
    // made while a statement runs is that statement's work: it stops (the script left empty) where
    // a frame's work would end, so that the budget ends the run.
    void Load(const std::string& key);
    void Load(const std::string& key, TScriptFile& file);
    // Makes an ended task run a loaded script from its start, with no locals.
    void Restart(const TRefPtr<TScript>& loaded);
    // Runs one statement; false once the script has ended.
    bool Step();
    // The script whose statement is running now (null between steps). Statements shared by several
    // tasks read the position and the locals of this one.
    static TScript* Running();

    void AddStatement(const TRefPtr<TScriptStatement>& statement);
    void Reset();
    // Resolves GOTOs and the links of blocks and loops; run once after the statements are chained.
    void LinkBlocks();

    TScriptStatement* GetPrevious() const { return m_previous; }
    TScriptVarTable& GetLocals() { return m_locals; }
    // The record of a label name, null when the script has none yet.
    TScriptLabel* FindLabel(const std::string& name) const;
    void AddLabel(const TRefPtr<TScriptLabel>& label);
    const std::string& GetKey() const { return m_key; }

private:
    // Null file: read it now.
    void LoadFrom(const std::string& key, TScriptFile* file);
    bool ReadBody(TScriptFile& file, const std::string& name, const std::string& where);

    TRefPtr<TScript> m_loaded;
    std::vector<TRefPtr<TScriptLabel>> m_labels;
    // Label names to their records: a script of many labels loads in linear time.
    std::unordered_map<std::string, TScriptLabel*> m_labelIndex;
    std::vector<TRefPtr<TScriptStatement>> m_statements;
    TScriptStatement* m_current = nullptr;
    TScriptStatement* m_previous = nullptr;
    TScriptVarTable m_locals;
    std::string m_key;

    static std::string s_folder;
    static TScript* s_running;
};
