#include "MainCode/Script/TScriptVarTable.h"

#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptProcessManager.h"

namespace {

// A name's bytes, once a look-up, with what the table's depth adds.
void CountLookup(const std::string& name, std::uint64_t levels)
{
    ScriptWork::Count(levels + ScriptPrice::Bytes(name.size()));
}

template <typename Map, typename Key>
typename Map::mapped_type Lookup(const Map& map, const Key& key, const typename Map::mapped_type& otherwise)
{
    auto found = map.find(key);
    return found != map.end() ? found->second : otherwise;
}

template <typename Map, typename Key>
bool LookupString(const Map& map, const Key& key, std::string& out)
{
    auto found = map.find(key);
    if (found == map.end()) {
        out.clear();
        return false;
    }
    out = found->second;
    return true;
}

// The entry of the name; a new one is allocated, its name copied in, and the map may grow a level.
template <typename Map>
typename Map::mapped_type& Entry(Map& map, const std::string& name, std::uint64_t& levels)
{
    auto [entry, added] = map.try_emplace(name);
    if (added) {
        ScriptWork::Count(ScriptPrice::kNewEntry + ScriptPrice::Bytes(name.size()));
        levels = ScriptPrice::Levels(map.size());
    }
    return entry->second;
}

}  // namespace

std::int32_t TScriptVarTable::GetInt(const std::string& name, std::int32_t defaultValue) const
{
    CountLookup(name, m_intLevels);
    return Lookup(m_intsByName, name, defaultValue);
}

std::int32_t TScriptVarTable::GetIntAt(std::uint32_t number, std::int32_t defaultValue) const
{
    return Lookup(m_intsByNumber, number, defaultValue);
}

void TScriptVarTable::SetInt(const std::string& name, std::int32_t value)
{
    CountLookup(name, m_intLevels);
    Entry(m_intsByName, name, m_intLevels) = value;
}

void TScriptVarTable::SetIntAt(std::uint32_t number, std::int32_t value)
{
    m_intsByNumber[number] = value;
}

bool TScriptVarTable::GetString(const std::string& name, std::string& out) const
{
    CountLookup(name, m_stringLevels);
    return LookupString(m_stringsByName, name, out);
}

bool TScriptVarTable::GetStringAt(std::uint32_t number, std::string& out) const
{
    return LookupString(m_stringsByNumber, number, out);
}

void TScriptVarTable::SetString(const std::string& name, const std::string& text)
{
    CountLookup(name, m_stringLevels);
    Entry(m_stringsByName, name, m_stringLevels) = text;
}

void TScriptVarTable::SetStringAt(std::uint32_t number, const std::string& text)
{
    m_stringsByNumber[number] = text;
}

void TScriptVarTable::Clear()
{
    m_intsByNumber.clear();
    m_intsByName.clear();
    m_stringsByNumber.clear();
    m_stringsByName.clear();
    m_intLevels = 0;
    m_stringLevels = 0;
}

TRefPtr<TScriptVarRef> TScriptVarRef::Create(const std::string& name, std::uint32_t kind, TScript* script)
{
    TScriptVarTable* table = nullptr;
    TScriptProcessManager* manager = TScriptProcessManager::Get();
    switch (kind) {
    case kTokenGlobalB:
        table = manager != nullptr ? &manager->GetGlobalB() : nullptr;
        break;
    case kTokenGlobalA:
    case kTokenGlobalA2:
        table = manager != nullptr ? &manager->GetGlobalA() : nullptr;
        break;
    case kTokenLocal:
    case kTokenLocal2:
        table = script != nullptr ? &script->GetLocals() : nullptr;
        break;
    default:
        break;
    }
    return TRefPtr<TScriptVarRef>(new TScriptVarRef(name, kind, script, table));
}

TScriptVarTable* TScriptVarRef::Table() const
{
    // Every task running the statements has locals of its own.
    if (m_kind == kTokenLocal || m_kind == kTokenLocal2) {
        if (TScript* running = TScript::Running()) {
            return &running->GetLocals();
        }
    }
    return m_table;
}

std::int32_t TScriptVarRef::Get() const
{
    const TScriptVarTable* table = Table();
    return table != nullptr ? table->GetInt(m_name, 0) : 0;
}

void TScriptVarRef::Set(std::int32_t value)
{
    if (TScriptVarTable* table = Table()) {
        table->SetInt(m_name, value);
    }
}
