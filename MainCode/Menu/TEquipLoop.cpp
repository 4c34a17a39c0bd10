#include "MainCode/Menu/TEquipLoop.h"

#include <cstdio>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Hud/TStatusPanel.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "dx/dx8/3d/TText8.h"

namespace {

constexpr std::int32_t kSteps = 10;
constexpr std::uint32_t kMastered = 1000;
constexpr std::uint32_t kFirstAccessoryId = 2000;
constexpr DWORD kWhite = 0xFFFFFFFF;
// Weapons the character cannot use: the row's words and its icon.
constexpr DWORD kUnusableText = 0xFF666666;
constexpr float kUnusableIcon = 0.7F;
// The slot cursor and the slots' ability points on the panel.
constexpr float kSlotCursor[TEquipLoop::kSlots][2] = {{52.0F, 54.0F}, {36.0F, 83.0F}, {20.0F, 112.0F}};
constexpr float kAbpPlace[TEquipLoop::kSlots][2] = {{94.0F, 61.0F}, {78.0F, 90.0F}, {62.0F, 119.0F}};

TSprite Picture(const char* name)
{
    return TSprite::FromFile(std::string("sprite.ptx/") + name, D3DPOOL_MANAGED, 0);
}

// Where a word of that many bytes starts so that it is centred in 128 pixels.
std::int32_t Centred(const std::string& word)
{
    return (8 - static_cast<std::int32_t>(word.size()) / 2) * 8;
}

std::uint8_t KindLetter(std::int32_t slot)
{
    return slot == 1 ? 'A' : 'B';
}

}  // namespace

TEquipLoop::TEquipLoop(TGameWnd* app, TMenuTopLoop* menu) : TMenuSceneLoop(app), m_menu(menu)
{
    SetState(&TEquipLoop::Opening);
    SetOwner(menu);
    m_field = menu != nullptr ? menu->GetField() : nullptr;
    m_panel = m_field != nullptr ? m_field->GetStatusPanel() : nullptr;
    // x then y of each window: hidden, shown.
    static constexpr std::int32_t kTweens[kWindows][4] = {
        {-256, 64, 48, 48},    // status panel
        {64, 64, 500, 344},    // information
        {-256, 80, 326, 326},  // name plate
    };
    for (int w = 0; w < kWindows; ++w) {
        m_x[w].Set(kTweens[w][0], kTweens[w][1], kSteps, 0);
        m_y[w].Set(kTweens[w][2], kTweens[w][3], kSteps, 0);
    }
    m_dims[kFrameDim].Set(1.0F, 0.7F, kSteps, 0);
    m_dims[kBarDim].Set(1.0F, 0.4F, kSteps, 0);
    m_dims[kDigitDim].Set(0.9F, 0.7F, kSteps, 0);
    m_listWindow = Picture("window20");
    m_titleWindow = Picture("window16");
    m_infoWindow = Picture("window06");
    m_plate = Picture("window22");
    m_slotCursor = Picture("ring_cursor01");
    m_name = MakeMenuText("tName", 256);
    m_title = MakeMenuText("WinTips1", 128);
    m_empty = MakeMenuText("tEmpty", 128);
    WriteMenuText(*m_empty, 0, "ＮＯ ＩＴＥＭ");
    for (std::int32_t s = 0; s < kSlots; ++s) {
        m_abp[s] = MakeMenuText("tAbp" + std::to_string(s), 128);
    }
    TPlayerCharacter* player = Player();
    m_weaponType = player != nullptr ? TWeponTable::Get(player->GetWeaponId()).Type : -1;
    for (std::int32_t s = 0; s < kSlots; ++s) {
        for (TLinearRamp& dim : m_slotDims[s]) {
            dim.Set(1.0F, 1.0F, kSteps, 0);
        }
        WriteAbp(s);
    }
    FillList();
    FillRows();
    InfoFromSlot();
    StartSubScreen();
}

TEquipLoop::~TEquipLoop() = default;

bool TEquipLoop::IsListShown() const
{
    return m_state == static_cast<StateFunc>(&TEquipLoop::WeaponList) ||
           m_state == static_cast<StateFunc>(&TEquipLoop::AccessoryList) ||
           m_state == static_cast<StateFunc>(&TEquipLoop::ListOpening) ||
           m_state == static_cast<StateFunc>(&TEquipLoop::ListClosing);
}

// The player is taken from the field each time: a weapon of another type replaces it.
TPlayerCharacter* TEquipLoop::Player() const
{
    return m_field != nullptr ? m_field->GetPlayer() : nullptr;
}

std::uint32_t TEquipLoop::Character() const
{
    TPlayerCharacter* player = Player();
    return player != nullptr ? player->GetCharacterIndex() : 0;
}

std::uint32_t TEquipLoop::SlotItem(std::int32_t slot) const
{
    TPlayerCharacter* player = Player();
    if (player == nullptr) {
        return 0;
    }
    return slot == 0 ? player->GetWeaponId() : player->GetEquipItemId(KindLetter(slot));
}

std::uint32_t TEquipLoop::GetAbp(std::uint32_t character, std::uint32_t itemId)
{
    TGameData* data = TGameData::GetInstance();
    TCharacterRecord* record = data != nullptr ? data->GetCharacterData(character) : nullptr;
    if (record == nullptr) {
        return kNoAbp;
    }
    const std::uint16_t* points = itemId < kFirstAccessoryId ? record->WeponAbp(itemId) : record->AccessoryAbp(itemId);
    return points != nullptr ? *points : kNoAbp;
}

void TEquipLoop::WriteAbp(std::int32_t slot)
{
    TText8& text = *m_abp[slot];
    text.Clear(false);
    const std::uint32_t abp = SlotItem(slot) != 0 ? GetAbp(Character(), SlotItem(slot)) : kNoAbp;
    if (abp != kNoAbp) {
        char line[32];
        std::snprintf(line, sizeof line, "%4lupts", static_cast<unsigned long>(abp));
        TMenuFont font;
        text.DrawText(0, 0, abp == kMastered ? "Master!" : line, &font, false);
    }
    text.Upload();
}

void TEquipLoop::ShowInfo(std::uint32_t itemId)
{
    if (itemId == 0) {
        // An empty slot: nothing to describe, and no name left over from the last item.
        m_name->Clear(false);
        m_info.Clear();
        m_name->Upload();
        return;
    }
    const std::uint32_t abp = GetAbp(Character(), itemId);
    m_info.Show(itemId);
    // An item without a name leaves the plate as it was.
    const std::string& name = TItemTable::Get(itemId).Name;
    if (!name.empty()) {
        m_name->Clear(false);
        TMenuFont font;
        m_name->DrawText(Centred(name), 0, name, &font, false);
        if (abp == kMastered) {
            m_name->DrawText(152, 0, "Master!", &font, false);
        } else if (abp != kNoAbp) {
            char line[32];
            std::snprintf(line, sizeof line, "ABP:%4lupts", static_cast<unsigned long>(abp));
            m_name->DrawText(136, 0, line, &font, false);
        }
        m_name->Upload();
    }
}

void TEquipLoop::InfoFromList()
{
    if (m_rowWindow.GetPager().IsEmpty()) {
        m_info.Clear();
        return;
    }
    ShowInfo(m_list[m_rowWindow.GetPager().GetIndex()]->Id);
}

void TEquipLoop::InfoFromSlot()
{
    ShowInfo(SlotItem(m_slot));
}

void TEquipLoop::FillList()
{
    m_list.clear();
    if (TGameData* data = TGameData::GetInstance()) {
        data->MakeItemListOfKind(m_list, m_slot == 0 ? 1 : 2);
    }
    m_rowWindow.GetPager().Reset(static_cast<std::int32_t>(m_list.size()));
}

void TEquipLoop::FillRows()
{
    const std::int32_t length = static_cast<std::int32_t>(m_list.size());
    for (std::int32_t r = 0; r < TItemRows::kRows; ++r) {
        const std::int32_t k = m_rowWindow.GetPager().GetTop() + r;
        if (k >= length) {
            m_rows.Clear(r);
            continue;
        }
        m_rows.SetItem(r, *m_list[k]);
        const bool unusable = m_slot == 0 && !TWeponTable::CanEquip(Character(), m_list[k]->Id);
        m_rows.SetColors(r, unusable ? kUnusableText : kWhite, unusable ? GreyColor(kUnusableIcon) : kWhite);
    }
}

void TEquipLoop::ApplyColors()
{
    if (m_panel == nullptr) {
        return;
    }
    const DWORD bars = GreyColor(m_dims[kBarDim].value);
    const DWORD digits = GreyColor(m_dims[kDigitDim].value);
    m_panel->GetFrame().SetColor(GreyColor(m_dims[kFrameDim].value), -1);
    for (int bar : {TStatusPanel::kHp, TStatusPanel::kMp, TStatusPanel::kLoad}) {
        m_panel->GetBar(bar).SetColor(bars, -1);
    }
    for (TSprite* digit : {&m_panel->GetLevelDigit(0), &m_panel->GetLevelDigit(1), &m_panel->GetPercentDigit(0),
                           &m_panel->GetPercentDigit(1), &m_panel->GetPercentSign()}) {
        digit->SetColor(digits, -1);
    }
    for (std::int32_t s = 0; s < kSlots; ++s) {
        m_abp[s]->SetColor(s == m_slot ? kWhite : bars, -1);
        m_panel->GetBar(TStatusPanel::kWeapon + s).SetColor(GreyColor(m_slotDims[s][0].value), -1);
        const DWORD icon = GreyColor(m_slotDims[s][1].value);
        m_panel->GetIcon(s).SetColor(icon, -1);
        m_panel->GetFullMark(s).SetColor(icon, -1);
    }
}

std::uint32_t TEquipLoop::Opening()
{
    m_x[kPanel].Advance();
    m_y[kInfoWindow].Advance();
    m_x[kPlate].Advance();
    if (m_x[kPanel].AtEnd()) {
        SetState(&TEquipLoop::SlotChoice);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEquipLoop::SlotChoice()
{
    const std::int32_t before = m_slot;
    if (Moves(kButtonUp) != 0) {
        m_slot = m_slot == 0 ? kSlots - 1 : m_slot - 1;
        InfoFromSlot();
    } else if (Moves(kButtonDown) != 0) {
        m_slot = m_slot == kSlots - 1 ? 0 : m_slot + 1;
        InfoFromSlot();
    } else if (Pressed(kButtonDecide) != 0) {
        const std::string title = m_slot == 0 ? "武器" : "アクセサリ";
        WriteMenuText(*m_title, Centred(title), title);
        FillList();
        InfoFromList();
        FillRows();
        for (std::int32_t s = 0; s < kSlots; ++s) {
            m_slotDims[s][0].Set(1.0F, s == m_slot ? 1.0F : 0.4F, kSteps, 0);
            m_slotDims[s][1].Set(1.0F, s == m_slot ? 1.0F : 0.7F, kSteps, 0);
        }
        SetState(&TEquipLoop::ListOpening);
        PlaySe(kSoundDecide);
    } else if (Pressed(kButtonCancel) != 0) {
        SetState(&TEquipLoop::Closing);
        PlaySe(kSoundCancel);
    }
    if (m_slot != before) {
        PlaySe(kSoundListCursor);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEquipLoop::ListOpening()
{
    for (TLinearRamp& dim : m_dims) {
        dim.Advance();
    }
    for (auto& dims : m_slotDims) {
        dims[0].Advance();
        dims[1].Advance();
    }
    ApplyColors();
    if (m_rowWindow.SlideIn()) {
        if (m_rowWindow.GetPager().IsEmpty()) {
            SetState(&TEquipLoop::EmptyList);
        } else if (m_slot == 0) {
            SetState(&TEquipLoop::WeaponList);
        } else {
            SetState(&TEquipLoop::AccessoryList);
        }
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEquipLoop::WeaponList()
{
    RunList(true);
    return LOOP_CONTINUE;
}

std::uint32_t TEquipLoop::AccessoryList()
{
    RunList(false);
    return LOOP_CONTINUE;
}

void TEquipLoop::RunList(bool weapon)
{
    switch (m_rowWindow.Step(*this, Moves(TListWindow::kMoveButtons), Pressed(kButtonDecide | kButtonCancel),
                             [this] { FillRows(); }, [this] { InfoFromList(); })) {
    case TListWindow::kDecided:
        if (weapon) {
            EquipWeapon();
        } else {
            EquipAccessory();
        }
        break;
    case TListWindow::kCancelled:
        PlaySe(kSoundCancel);
        InfoFromSlot();
        SetState(&TEquipLoop::ListClosing);
        break;
    default:
        break;
    }
}

void TEquipLoop::EquipWeapon()
{
    TGameData* data = TGameData::GetInstance();
    TPlayerCharacter* player = Player();
    if (data == nullptr || player == nullptr) {
        return;
    }
    // The ids are read before the inventory changes under the list.
    const std::uint32_t chosen = m_list[m_rowWindow.GetPager().GetIndex()]->Id;
    const std::uint32_t equipped = player->GetWeaponId();
    const std::uint32_t character = Character();
    if (!TWeponTable::CanEquip(character, chosen)) {
        PlaySe(kSoundRefused);
        return;
    }
    if (chosen == equipped) {
        return;
    }
    // A returned weapon that would pass 99 held would be lost: the swap is refused.
    if (equipped != 0 && !data->TryAddItem(equipped, 1)) {
        PlaySe(kSoundRefused);
        return;
    }
    data->RemoveItem(chosen, 1);
    player->Equip(chosen);
    if (m_panel != nullptr) {
        m_panel->GetIcon(0) = TWeponTable::CreateIconSprite(chosen);
        m_panel->Update(player);
    }
    WriteAbp(0);
    const std::int32_t type = TWeponTable::Get(chosen).Type;
    if (type != m_weaponType && m_field != nullptr) {
        m_field->ChangePlayer(character);
        m_weaponType = type;
    }
    AfterEquipping();
}

void TEquipLoop::EquipAccessory()
{
    TGameData* data = TGameData::GetInstance();
    TPlayerCharacter* player = Player();
    if (data == nullptr || player == nullptr) {
        return;
    }
    const std::uint8_t letter = KindLetter(m_slot);
    const std::uint32_t chosen = m_list[m_rowWindow.GetPager().GetIndex()]->Id;
    const std::uint32_t current = player->GetEquipItemId(letter);
    if (chosen == current) {
        PlaySe(kSoundDecide);
        return;
    }
    // An empty slot gives nothing back; a return past 99 held is refused.
    if (current != 0 && !data->TryAddItem(current, 1)) {
        PlaySe(kSoundRefused);
        return;
    }
    data->RemoveItem(chosen, 1);
    player->SetEquipItem(chosen, letter);
    if (m_panel != nullptr) {
        m_panel->Update(player);
    }
    WriteAbp(m_slot);
    AfterEquipping();
}

void TEquipLoop::AfterEquipping()
{
    if (m_panel != nullptr) {
        m_panel->SetColors();
    }
    if (m_menu != nullptr) {
        m_menu->Recapture();
    }
    ApplyColors();
    PlaySe(kSoundSet);
    // The list as the inventory now is; its old entries are not shown again.
    FillList();
    FillRows();
    SetState(&TEquipLoop::ListClosing);
}

std::uint32_t TEquipLoop::EmptyList()
{
    if (Pressed(kButtonCancel) != 0) {
        PlaySe(kSoundCancel);
        InfoFromSlot();
        SetState(&TEquipLoop::ListClosing);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEquipLoop::ListClosing()
{
    for (TLinearRamp& dim : m_dims) {
        dim.Retreat();
    }
    for (auto& dims : m_slotDims) {
        dims[0].Retreat();
        dims[1].Retreat();
    }
    ApplyColors();
    if (m_rowWindow.SlideOut()) {
        SetState(&TEquipLoop::SlotChoice);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEquipLoop::Closing()
{
    // The step after the panel is back at its start ends the screen.
    if (m_x[kPanel].AtStart()) {
        return LOOP_END;
    }
    m_x[kPanel].Retreat();
    m_y[kInfoWindow].Retreat();
    m_x[kPlate].Retreat();
    return LOOP_CONTINUE;
}

void TEquipLoop::DrawWindows()
{
    const auto x = [this](Window w) { return static_cast<float>(m_x[w].value); };
    const auto y = [this](Window w) { return static_cast<float>(m_y[w].value); };
    const auto listX = static_cast<float>(TListWindow::kListX);
    const auto listY = static_cast<float>(m_rowWindow.GetListY().value);
    const auto titleX = static_cast<float>(TListWindow::kTitleX);
    const auto titleY = static_cast<float>(m_rowWindow.GetTitleY().value);
    if (m_panel != nullptr) {
        m_panel->Draw(m_x[kPanel].value, m_y[kPanel].value);
    }
    TSprite::SetRenderMode(1);
    m_slotCursor.Draw(x(kPanel) + kSlotCursor[m_slot][0], y(kPanel) + kSlotCursor[m_slot][1], false);
    m_listWindow.Draw(listX, listY, false);
    m_titleWindow.Draw(titleX, titleY, false);
    m_infoWindow.Draw(x(kInfoWindow), y(kInfoWindow), false);
    m_plate.Draw(x(kPlate), y(kPlate), false);
    m_info.DrawPicture(x(kInfoWindow) + 38.0F, y(kInfoWindow) + 32.0F);
    const bool listShown = IsListShown();
    if (listShown) {
        m_rows.DrawList(listX, listY, m_rowWindow.GetPager(), m_rowWindow.GetBob());
    }
    TSprite::SetRenderMode(3);
    m_info.DrawLines(x(kInfoWindow) + 106.0F, y(kInfoWindow) + 36.0F);
    m_title->Draw(titleX + 14.0F, titleY + 8.0F, false);
    m_name->Draw(x(kPlate) + 16.0F, y(kPlate) + 8.0F, false);
    for (std::int32_t s = 0; s < kSlots; ++s) {
        m_abp[s]->Draw(x(kPanel) + kAbpPlace[s][0], y(kPanel) + kAbpPlace[s][1], false);
    }
    if (listShown) {
        m_rows.DrawTexts(listX + 82.0F, listY + 42.0F);
    }
    if (m_state == static_cast<StateFunc>(&TEquipLoop::EmptyList)) {
        m_empty->Draw(listX + 104.0F, listY + 136.0F, false);
    }
}
