#include "MainCode/Script/TPBFlag.h"

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "TCommon/my_error.h"

namespace {

const char kSourceFile[] = "MainCode/Script/TPBFlag";

std::int32_t Arg(const std::deque<std::string>& args, std::size_t i)
{
    return i < args.size() ? ScriptAtoi(args[i]) : 0;
}

// Flag numbers outside the tables read 0 and change nothing; say so, a script is wrong.
bool FlagInRange(std::int32_t keyword, std::int32_t number)
{
    const std::uint32_t size = keyword == 8 ? TGameData::kEventFlags : TGameData::kPickupFlags;
    if (number >= 0 && static_cast<std::uint32_t>(number) < size) {
        return true;
    }
    ScriptLog(std::string(keyword == 8 ? "event" : "pick-up") + " flag " + std::to_string(number) +
              " is outside 0.." + std::to_string(size - 1));
    return false;
}

// The game ends on the throw that follows; first name the script that asked.
void LogUnknownKeyword(const char* operation, std::int32_t keyword)
{
    std::string where = "no running script";
    if (const TScript* script = TScript::Running()) {
        std::string filePart;
        std::string name;
        TScript::SplitKey(script->GetKey(), filePart, name);
        where = TScript::GetDirectory() + filePart + " (" + script->GetKey() + ")";
    }
    ScriptLog(std::string("Flag: unknown keyword ") + std::to_string(keyword) + " to " + operation + " in " + where);
}

}  // namespace

TPBFlag::TPBFlag(TGameWnd* app) : TScriptModule("Flag"), m_app(app) {}

std::uint32_t TPBFlag::Call(std::uint32_t command, const std::deque<std::string>& args,
                            const std::deque<std::uint32_t>&)
{
    // The item commands scan the bag: the script pays for each entry they look at.
    const TGameData* data = TGameData::GetInstance();
    const std::uint64_t looked = data != nullptr ? data->GetItemEntriesLooked() : 0;
    if (command == 0) {
        GetValue(args);
    } else if (command == 1) {
        PutValue(args);
    }
    if (data != nullptr) {
        ScriptWork::Count(ScriptPrice::kBagEntry * (data->GetItemEntriesLooked() - looked));
    }
    return kDone;
}

void TPBFlag::GetValue(const std::deque<std::string>& args)
{
    const std::int32_t keyword = Arg(args, 0);
    if (keyword < 0 || keyword > 12) {
        LogUnknownKeyword("GetValue", keyword);
        throw my_error("TPBFlag::GetValue Unknown Arg", kSourceFile, 100);
    }
    TGameData* data = TGameData::GetInstance();
    if (data == nullptr) {
        ScriptLog("Flag: no game data to read");
        return;
    }
    // Only the keywords that take a number read one: a long argument costs its reading.
    const bool numbered = keyword == 8 || keyword == 9 || keyword == 11 || keyword == 12;
    const std::int32_t number = numbered ? Arg(args, 1) : 0;
    std::int32_t value = 0;
    switch (keyword) {
    case 0: value = static_cast<std::int32_t>(data->GetStoredPlayTime()); break;
    case 1: value = data->GetBgmVolume(); break;
    case 2: value = data->GetSeVolume(); break;
    case 3: value = data->GetVoiceVolume(); break;
    case 4: value = data->GetMiniMapState(); break;
    case 5: value = data->GetActiveCharacter(); break;
    case 6: value = data->GetSavePoint(); break;
    case 7: value = static_cast<std::int32_t>(data->GetMoney()); break;
    case 8: value = FlagInRange(8, number) ? data->GetFlag(static_cast<std::uint32_t>(number)) : 0; break;
    case 9: value = FlagInRange(9, number) ? data->GetPickupFlag(static_cast<std::uint32_t>(number)) : 0; break;
    case 10: value = data->GetItemKindCount(); break;
    case 11: value = data->FindItem(static_cast<std::uint32_t>(number)) != nullptr ? 1 : 0; break;
    default: {
        const TItemEntry* held = data->FindItem(static_cast<std::uint32_t>(number));
        value = held != nullptr ? held->Count : 0;
        break;
    }
    }
    TScriptProcessManager::SetResultVariable(value);
}

void TPBFlag::PutValue(const std::deque<std::string>& args)
{
    const std::int32_t keyword = Arg(args, 0);
    if (keyword < 0 || keyword > 14 || keyword == 10 || keyword == 11 || keyword == 12) {
        LogUnknownKeyword("PutValue", keyword);
        throw my_error("TPBFlag::PutValue Unknown Arg", kSourceFile, 159);
    }
    TGameData* data = TGameData::GetInstance();
    if (data == nullptr) {
        ScriptLog("Flag: no game data to write");
        return;
    }
    const bool pair = keyword == 8 || keyword == 9 || keyword == 13 || keyword == 14;
    const std::int32_t first = keyword != 0 ? Arg(args, 1) : 0;
    const std::int32_t second = pair ? Arg(args, 2) : 0;
    switch (keyword) {
    case 0: break;  // the stored word is not the scripts' to change
    case 1: data->SetBgmVolume(first); break;
    case 2: data->SetSeVolume(first); break;
    case 3: data->SetVoiceVolume(first); break;
    case 4: data->SetMiniMapState(static_cast<std::uint8_t>(first)); break;
    case 5: data->SetActiveCharacter(first); break;
    case 6: data->SetSavePoint(first); break;
    case 7: data->SetMoney(static_cast<std::uint32_t>(first)); break;
    case 8:
        if (FlagInRange(8, first)) {
            data->SetFlag(static_cast<std::uint32_t>(first), static_cast<std::uint8_t>(second));
        }
        break;
    case 9:
        if (FlagInRange(9, first)) {
            data->SetPickupFlag(static_cast<std::uint32_t>(first), static_cast<std::uint8_t>(second));
        }
        break;
    case 13: data->AddItem(static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(second)); break;
    default: {
        // More than can ever be held (or a negative count) is asking too many, not a wrapped small count.
        const bool taken = second >= 0 && second <= TGameData::kMaxItemCount &&
                           data->UseItem(static_cast<std::uint32_t>(first), static_cast<std::uint8_t>(second));
        TScriptProcessManager::SetResultVariable(taken ? 1 : 0);
        break;
    }
    }
}
