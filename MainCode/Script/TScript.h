// One script of a compiled script file, loaded by its key ("04.pbsc/Event04_00": file part,
// slash, script name) and run one statement per Step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "MainCode/Script/TScriptVarTable.h"
#include "TCommon/TByteReader.h"
#include "TCommon/TFile.h"
#include "TCommon/TRefPtr.h"

class TScriptLabel;
class TScriptStatement;

// A compiled script file held open with the directory of its scripts: a script's body is read
// when it is asked for, from its offset, and nothing else of the file is. A manager keeps one for
// the scripts its CALLs load, so a name the file does not have is never read for again.
class TScriptFile {
public:
    enum Lookup { kFound, kUnreadable, kBrokenDirectory, kMissing };

    // Opens the file and reads its directory; what cannot be read is told by Find, to each script
    // asking.
    explicit TScriptFile(const std::string& path);

    // Where the first script of the name starts. A directory broken before the name is reached
    // is broken for it.
    Lookup Find(const std::string& name, std::uint32_t& offset) const;
    // The file from the offset to its end; false when the offset lies beyond the end.
    bool ReadFrom(std::uint32_t offset, std::optional<TByteReader>& reader);

private:
    TFile m_file;
    bool m_read = false;
    bool m_broken = false;
    std::map<std::string, std::uint32_t> m_offsets;
};

class TScript {
    friend struct TScriptProbe;
public:
    // A statement record takes at most this many bytes; a longer one is skipped (logged).
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

    // A script that cannot be read whole is left empty (it ends at its first step) and logged.
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
