#include "MainCode/Menu/TMenuSaveLoop.h"

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/SceneRequests.h"
#include "MainCode/Script/TMapEventModule.h"
#include "MainCode/TGameWnd.h"

namespace {

// The player is taken from the field each time: a character change rebuilds it.
TPlayerCharacter* Player(const TMenuTopLoop* menu)
{
    TFieldLoop* field = menu != nullptr ? menu->GetField() : nullptr;
    return field != nullptr ? field->GetPlayer() : nullptr;
}

bool OffersSave(const TMenuTopLoop* menu)
{
    const TPlayerCharacter* player = Player(menu);
    return player != nullptr && player->HasSaveRequest();
}

}  // namespace

TMenuSaveLoop::TMenuSaveLoop(TGameWnd* app, TMenuTopLoop* menu)
    : TMenuChoiceLoop(app, menu, OffersSave(menu) ? 2 : 1), m_page(this)
{
    static const char* const kChoices[3] = {"sprite.ptx/window02_g", "sprite.ptx/window02_h",
                                            "sprite.ptx/window02_k"};
    // Without the save the others move up into its place; the cursor starts on back, the last.
    for (std::int32_t i = m_cursor == 2 ? 0 : 1; i < 3; ++i) {
        const std::int32_t at = m_choices.Count();
        AddChoice(kChoices[i], -194 + 8 * at, 16 + 8 * at, 16 + 40 * at);
    }
    m_page.SetBeforeSave([this] { StoreParty(); });
}

TMenuSaveLoop::~TMenuSaveLoop() = default;

bool TMenuSaveLoop::OnPage() const
{
    return m_state == static_cast<StateFunc>(&TMenuSaveLoop::StatePage);
}

std::uint32_t TMenuSaveLoop::Closed()
{
    if (!m_decided) {
        m_state = nullptr;
        return LOOP_END;
    }
    m_decided = false;
    m_choices.Highlight(m_cursor, true);
    const bool save = m_choices.Count() == 3 && m_cursor == 0;
    m_page.SetKind(save ? TSaveSlotPage::Kind::Save : TSaveSlotPage::Kind::Load, TGameData::kOwnSaveFolder);
    m_page.SetTitle(save ? "セーブ" : "ロード");
    m_page.RefreshPage();
    m_page.Open();
    SetState(&TMenuSaveLoop::StatePage);
    return LOOP_CONTINUE;
}

std::uint32_t TMenuSaveLoop::StatePage()
{
    const auto result = m_page.Step(Pressed(TSaveSlotPage::kButtons), Moves(TSaveSlotPage::kMoves));
    if (result != TSaveSlotPage::Result::Closed) {
        return result == TSaveSlotPage::Result::Chosen ? LoadChosen() : LOOP_CONTINUE;
    }
    // Back to the choice, which slides in again with its cursor where it was.
    SetState(&TMenuSaveLoop::Open);
    return LOOP_CONTINUE;
}

std::uint32_t TMenuSaveLoop::LoadChosen()
{
    PlaySe(kSoundDecide);
    TFieldLoop* field = m_menu != nullptr ? m_menu->GetField() : nullptr;
    const std::int32_t music = TMapEventModule::KeepMusic(m_app, field != nullptr ? field->GetArea() : nullptr);
    TGameWnd* app = m_app;
    TLoop* hub = CreateChangeToLoadSlot(app, static_cast<std::uint32_t>(m_page.GetSlot()),
                                       static_cast<std::uint32_t>(music));
    // The field, the menu and this screen go, bottom first; nothing of this screen is used after.
    app->PopScenesTo(1);
    app->ReplaceScene(hub);
    return LOOP_END;
}

void TMenuSaveLoop::StoreParty()
{
    TPlayerCharacter* player = Player(m_menu);
    if (player == nullptr) {
        return;
    }
    TGameData& data = *TGameData::GetInstance();
    data.SetSavePoint(player->GetSavePointId());
    data.StoreCharacter(*player);
}

void TMenuSaveLoop::DrawWindows()
{
    // Closed choices stay at their hidden places, off the screen, under the pages.
    m_choices.Draw();
    if (OnPage()) {
        m_page.Draw();
    }
}
