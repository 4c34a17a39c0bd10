// Script variables: the manager's two global tables and each script's local table, and the
// reference a variable token of a script becomes.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "TCommon/TRefPtr.h"

class TScript;

// Four separate maps: integers and texts, each by number and by name. A look-up by name costs the
// script work (ScriptWork) of its tree's depth and of a long name's bytes; a name stored anew its
// allocation and its bytes copied too.
class TScriptVarTable {
public:
    virtual ~TScriptVarTable() = default;

    virtual std::int32_t GetInt(const std::string& name, std::int32_t defaultValue) const;
    virtual std::int32_t GetIntAt(std::uint32_t number, std::int32_t defaultValue) const;
    virtual void SetInt(const std::string& name, std::int32_t value);
    virtual void SetIntAt(std::uint32_t number, std::int32_t value);
    // False and an empty out when absent.
    virtual bool GetString(const std::string& name, std::string& out) const;
    virtual bool GetStringAt(std::uint32_t number, std::string& out) const;
    virtual void SetString(const std::string& name, const std::string& text);
    virtual void SetStringAt(std::uint32_t number, const std::string& text);
    virtual void Clear();

private:
    std::map<std::uint32_t, std::int32_t> m_intsByNumber;
    std::map<std::string, std::int32_t> m_intsByName;
    std::map<std::uint32_t, std::string> m_stringsByNumber;
    std::map<std::string, std::string> m_stringsByName;
    // What the depth of each map by name adds to a look-up, kept as the map grows.
    std::uint64_t m_intLevels = 0;
    std::uint64_t m_stringLevels = 0;
};

// A variable token bound to its table when the script loads: kind 9 global table B, 10 and 12
// global table A, 11 and 13 the script's locals. A global with no manager to bind reads 0 and
// keeps nothing.
class TScriptVarRef {
public:
    virtual ~TScriptVarRef() = default;

    static TRefPtr<TScriptVarRef> Create(const std::string& name, std::uint32_t kind, TScript* script);

    std::int32_t Get() const;
    void Set(std::int32_t value);

private:
    TScriptVarRef(const std::string& name, std::uint32_t kind, TScript* script, TScriptVarTable* table)
        : m_script(script), m_name(name), m_kind(kind), m_table(table) {}
    // The bound table; for a local, that of the task running now.
    TScriptVarTable* Table() const;

    TScript* m_script;
    std::string m_name;
    std::uint32_t m_kind;
    TScriptVarTable* m_table;
};
