// One script of a compiled script file, loaded by its key ("04.pbsc/Event04_00": file part,
// slash, script name) and run one statement per Step.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "MainCode/Script/TScriptVarTable.h"
#include "TCommon/TRefPtr.h"

class TScriptLabel;
class TScriptStatement;

class TScript {
public:
    explicit TScript(const std::string& key);
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
    // Runs one statement; false once the script has ended.
    bool Step();

    TScriptStatement* GetStatement(std::size_t index) const;
    std::size_t GetStatementCount() const { return m_statements.size(); }
    void AddStatement(const TRefPtr<TScriptStatement>& statement);
    void Reset();
    // Resolves GOTOs and the links of blocks and loops; run once after the statements are chained.
    void LinkBlocks();

    TScriptStatement* GetCurrent() const { return m_current; }
    TScriptStatement* GetPrevious() const { return m_previous; }
    TScriptVarTable& GetLocals() { return m_locals; }
    std::vector<TRefPtr<TScriptLabel>>& GetLabels() { return m_labels; }
    const std::string& GetKey() const { return m_key; }

private:
    bool ReadBody(const std::string& path, const std::string& name);

    std::vector<TRefPtr<TScriptLabel>> m_labels;
    std::deque<TRefPtr<TScriptStatement>> m_statements;
    TScriptStatement* m_current = nullptr;
    TScriptStatement* m_previous = nullptr;
    TScriptVarTable m_locals;
    std::string m_key;

    static std::string s_folder;
};
