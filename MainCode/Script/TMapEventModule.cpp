#include "MainCode/Script/TMapEventModule.h"

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/SceneRequests.h"
#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/TGameWnd.h"
#include "dx/dx8/sound/TDSound8.h"

namespace {

constexpr std::size_t kMapChangeArguments = 11;

float FloatArg(const std::deque<std::string>& args, std::size_t i)
{
    float value = 0.0f;
    if (i < args.size()) {
        ScanScriptFloat(args[i], value);
    }
    return value;
}

std::uint32_t UnsignedArg(const std::deque<std::string>& args, std::size_t i)
{
    std::uint32_t value = 0;
    if (i < args.size()) {
        ScanScriptUnsigned(args[i], value);
    }
    return value;
}

}  // namespace

TMapEventModule::TMapEventModule(TGameWnd* app, TFieldLoop* field)
    : TScriptModule("MapEvent"), m_app(app), m_field(field), m_area(field != nullptr ? field->GetArea() : nullptr)
{
}

std::uint32_t TMapEventModule::Call(std::uint32_t command, const std::deque<std::string>& args,
                                    const std::deque<std::uint32_t>&)
{
    // Only the last call of a run counts.
    m_result = kNothing;
    switch (command) {
    case 0:
        ChangeMap(args);
        return kDone | kWait | kStop;
    case 1: {
        const std::int32_t music = KeepMusic(m_app, m_area);
        if (m_app != nullptr) {
            m_app->ReplaceScene(CreateDieLoop(m_app, music));
        }
        m_result = kGameOver;
        return kDone | kWait | kStop;
    }
    case 2: {
        const std::uint32_t eventId = UnsignedArg(args, 0);
        const std::int32_t colour = UnsignedArg(args, 1) != 0 ? kWhiteFade : kBlackFade;
        const std::int32_t music = KeepMusic(m_app, m_area);
        // The change captures the screen.
        ScriptWork::Count(ScriptPrice::kSceneStart);
        if (m_app != nullptr) {
            m_app->ReplaceScene(CreateChangeToEvent(m_app, colour, kEventFadeDirection, eventId, music));
        }
        m_result = kStoryEvent;
        return kDone;
    }
    case 3:
        m_result = kConversation;
        return kDone | kWait | kStop;
    case 4:
        if (m_area != nullptr && m_area->GetPlayer() != nullptr) {
            m_area->GetPlayer()->SetLookVariant(UnsignedArg(args, 0));
        }
        return kDone;
    default:
        return kDone | kWait | kStop;
    }
}

void TMapEventModule::ChangeMap(const std::deque<std::string>& args)
{
    TFieldDestination destination;
    D3DXVECTOR3* const vectors[3] = {&destination.position, &destination.direction, &destination.cameraPosition};
    for (std::size_t v = 0; v < 3; ++v) {
        vectors[v]->x = FloatArg(args, v * 3);
        vectors[v]->y = FloatArg(args, v * 3 + 1);
        vectors[v]->z = FloatArg(args, v * 3 + 2);
    }
    // As in every map object, the facing stays level.
    destination.direction.y = 0.0f;
    if (args.size() < kMapChangeArguments || args[10].empty()) {
        ScriptLog("MapEvent 0 without a destination map; no map change");
        return;
    }
    destination.mapName = args[10];
    if (m_field == nullptr) {
        ScriptLog("MapEvent 0 without a field; no map change");
        return;
    }
    // A fade mode other than 0 and 1 is logged there and fades through black. A destination whose
    // map data cannot be read throws my_error, as a trigger's does: broken data ends the game.
    m_field->SetPhase(CreateFieldPhase(m_field, destination, UnsignedArg(args, 9)));
    m_result = kPhaseSet;
}

std::int32_t TMapEventModule::KeepMusic(TGameWnd* app, const TAreaBase* area)
{
    const std::int32_t music = area != nullptr ? area->GetMusicId() : -1;
    if (music == -1 || app == nullptr || app->GetSound() == nullptr) {
        return music;
    }
    if (TSoundBank* bank = app->GetSound()->GetBank(2)) {
        bank->Load(static_cast<std::uint32_t>(music));
    }
    return music;
}
