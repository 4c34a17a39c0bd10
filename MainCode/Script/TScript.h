// One script of a compiled script file, loaded by its key ("04.pbsc/Event04_00": file part,
// slash, script name) and run one statement per Step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "MainCode/Script/TScriptVarTable.h"
#include "platform/win32/types.h"
#include "TCommon/TRefPtr.h"

class TScriptFile;
class TScriptFileOpening;
class TScriptLabel;
class TScriptStatement;

class TScript {
    friend struct TScriptProbe;
public:
    // A statement record takes at most this many bytes; a longer one is skipped unread (logged).
    static constexpr std::size_t kMaxStatementBytes = 65536;

    explicit TScript(const std::string& key);
    // The script of the key by its file's directory, its body read from the opening (null when the
    // directory is known not to have it: nothing is read).
    TScript(const std::string& key, const TScriptFile& file, TScriptFileOpening* opening);
    // The script of a key whose file could not be opened at the path, for the error: left empty.
    TScript(const std::string& key, const std::string& path, DWORD error);
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
    void Load(const std::string& key, const TScriptFile& file, TScriptFileOpening* opening);
    // Makes an ended task run a loaded script from its start, with no locals.
    void Restart(const TRefPtr<TScript>& loaded);
    // Runs one statement; false once the script has ended.
    bool Step();
    // The script whose statement is running now (null between steps). Statements shared by several
    // tasks read the position and the locals of this one.
    static TScript* Running();
    // Where a load's work stops: after a frame's work when a statement makes it (a CALL, a module
    // starting a script), so that the run ends with it as the budget ends any; a load made between
    // frames (a scene starting its script) reads the whole file.
    static std::uint64_t LoadEnd();

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
    bool ReadBody(const TScriptFile& file, TScriptFileOpening* opening, const std::string& name,
                  const std::string& where);

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
