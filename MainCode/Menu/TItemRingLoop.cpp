#include "MainCode/Menu/TItemRingLoop.h"

#include <algorithm>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/Hud/TItemRing.h"
#include "MainCode/Hud/TLetterFont.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "dx/dx8/3d/TText8.h"

namespace {

constexpr float kQuarterTurn = 0.7853982F;  // one position, pi / 4
constexpr std::int32_t kSteps = 10;
constexpr float kOthersGrey = 0.4F;
constexpr float kRingGrey = 0.7F;

TSprite Picture(const char* name)
{
    return TSprite::FromFile(std::string("sprite.ptx/") + name, D3DPOOL_MANAGED, 0);
}

TGameData* Data()
{
    return TGameData::GetInstance();
}

const TItemEntry* RingSlot(std::int32_t i)
{
    return Data() != nullptr ? Data()->GetRingSlot(static_cast<std::uint32_t>(i)) : nullptr;
}

bool IsInRing(std::uint32_t id)
{
    for (std::int32_t i = 0; i < TItemRingLoop::kPositions; ++i) {
        const TItemEntry* slot = RingSlot(i);
        if (slot != nullptr && slot->Id == id) {
            return true;
        }
    }
    return false;
}

}  // namespace

TItemRingLoop::TItemRingLoop(TGameWnd* app, TMenuTopLoop* menu) : TMenuSceneLoop(app), m_menu(menu)
{
    SetState(&TItemRingLoop::Open);
    SetOwner(menu);
    // x then y of each window: hidden, shown.
    static constexpr std::int32_t kTweens[kWindows][4] = {
        {-256, 64, 48, 48},    // ring picture
        {-128, 200, 144, 144},  // ring cursor
        {-170, 80, 326, 326},  // name
        {64, 64, 500, 344},    // description
    };
    for (int w = 0; w < kWindows; ++w) {
        m_x[w].Set(kTweens[w][0], kTweens[w][1], kSteps, 0);
        m_y[w].Set(kTweens[w][2], kTweens[w][3], kSteps, 0);
    }
    m_ringAngle.Set(0.0F, 0.0F, kSteps, 0);
    m_ringGrey.Set(1.0F, kRingGrey, kSteps, 0);
    for (std::int32_t i = 0; i < kPositions; ++i) {
        const float a = static_cast<float>(i) * kQuarterTurn;
        m_angles[i].Set(a, a, kSteps, 0);
        m_greys[i].Set(1.0F, 1.0F, kSteps, 0);
    }
    m_ring = Picture("ring01_c");
    m_ringCursorSprite = Picture("ring_cursor00");
    m_listWindow = Picture("window20");
    m_titleWindow = Picture("window16");
    m_infoWindow = Picture("window06");
    m_nameWindow = Picture("window16");
    m_name = MakeMenuText("tName", 128);
    m_title = MakeMenuText("WinTips2", 128);
    m_empty = MakeMenuText("tEmpty", 128);
    WriteMenuText(*m_title, 0, "アイテム");
    WriteMenuText(*m_empty, 0, "ＮＯ ＩＴＥＭ");
    TFieldLoop* field = menu != nullptr ? menu->GetField() : nullptr;
    m_font = field != nullptr ? field->GetLetterFont() : nullptr;
    RefreshPositions();
    StartSubScreen();
}

TItemRingLoop::~TItemRingLoop() = default;

bool TItemRingLoop::IsListShown() const
{
    return m_state == static_cast<StateFunc>(&TItemRingLoop::OpenList) ||
           m_state == static_cast<StateFunc>(&TItemRingLoop::List) ||
           m_state == static_cast<StateFunc>(&TItemRingLoop::CloseList);
}

void TItemRingLoop::RefreshPositions()
{
    for (std::int32_t i = 0; i < kPositions; ++i) {
        // Position 0 never holds an item: no icon, and blank count cells as on the field's ring.
        const TItemEntry* entry = i > 0 ? RingSlot(i) : nullptr;
        if (entry == nullptr || entry->Id == 0) {
            m_icons[i] = TSprite();
        } else {
            TItemTable::CreateIconSprite(m_icons[i], entry->Id);
        }
        TItemRing::SetCountGlyphs(m_font, entry, m_counts[i * 2], m_counts[i * 2 + 1]);
    }
    ApplyGreys();
}

void TItemRingLoop::ApplyGreys()
{
    for (std::int32_t i = 0; i < kPositions; ++i) {
        const DWORD grey = GreyColor(m_greys[i].value);
        m_icons[i].SetColor(grey, -1);
        m_counts[i * 2].SetColor(grey, -1);
        m_counts[i * 2 + 1].SetColor(grey, -1);
    }
    m_ring.SetColor(GreyColor(m_ringGrey.value), -1);
}

void TItemRingLoop::RefreshList()
{
    const std::int32_t length = static_cast<std::int32_t>(m_list.size());
    for (std::int32_t i = 0; i < TItemRows::kRows; ++i) {
        const std::int32_t k = m_rowWindow.GetPager().GetTop() + i;
        if (k >= length) {
            m_rows.Clear(i);
        } else if (m_list[k]->Id == 0) {
            m_rows.SetWord(i, "はずす");
        } else {
            m_rows.SetItem(i, *m_list[k]);
        }
    }
}

void TItemRingLoop::ShowItem(std::uint32_t itemId)
{
    m_info.Show(itemId);
    WriteMenuText(*m_name, 0, TItemTable::Get(itemId).Name);
}

void TItemRingLoop::ClearInfo()
{
    m_info.Clear();
    m_name->Clear(true);
}

void TItemRingLoop::InfoRing()
{
    const TItemEntry* entry = m_ringCursor != 0 ? RingSlot(m_ringCursor) : nullptr;
    if (entry != nullptr && entry->Id != 0) {
        ShowItem(entry->Id);
    } else {
        ClearInfo();
    }
}

void TItemRingLoop::InfoList()
{
    if (m_rowWindow.GetPager().IsEmpty() || m_list[m_rowWindow.GetPager().GetIndex()]->Id == 0) {
        ClearInfo();
    } else {
        ShowItem(m_list[m_rowWindow.GetPager().GetIndex()]->Id);
    }
}

std::uint32_t TItemRingLoop::Open()
{
    for (auto [ramp, w] : {std::pair{&m_x, kNameWindow}, std::pair{&m_y, kInfoWindow}, std::pair{&m_x, kRingCursor},
                           std::pair{&m_x, kRingWindow}}) {
        (*ramp)[w].Advance();
    }
    if (m_x[kRingWindow].AtEnd()) {
        SetState(&TItemRingLoop::RingSelect);
    }
    return LOOP_CONTINUE;
}

void TItemRingLoop::StartTurn(float delta)
{
    TItemRing::StartTurn(m_ringAngle, delta);
    for (TLinearRamp& angle : m_angles) {
        TItemRing::StartTurn(angle, delta);
    }
    SetState(&TItemRingLoop::Turn);
}

std::uint32_t TItemRingLoop::RingSelect()
{
    const std::int32_t before = m_ringCursor;
    if (Moves(kButtonUp) != 0) {
        StartTurn(kQuarterTurn);
        m_ringCursor = m_ringCursor == 0 ? kPositions - 1 : m_ringCursor - 1;
    } else if (Moves(kButtonDown) != 0) {
        StartTurn(-kQuarterTurn);
        m_ringCursor = m_ringCursor == kPositions - 1 ? 0 : m_ringCursor + 1;
    } else if (Pressed(kButtonDecide) != 0) {
        // Position 0 is the ring's empty place: nothing is set there.
        if (m_ringCursor != 0) {
            OpenTheList();
        }
    } else if (Pressed(kButtonCancel) != 0) {
        SetState(&TItemRingLoop::Close);
        PlaySe(kSoundCancel);
    }
    if (m_ringCursor != before) {
        PlaySe(kSoundTurn);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TItemRingLoop::Turn()
{
    for (TLinearRamp& angle : m_angles) {
        angle.Advance();
    }
    m_ringAngle.Advance();
    if (m_ringAngle.AtEnd()) {
        InfoRing();
        SetState(&TItemRingLoop::RingSelect);
    }
    return LOOP_CONTINUE;
}

void TItemRingLoop::OpenTheList()
{
    if (Data() != nullptr) {
        Data()->MakeItemListOfKind(m_list, 0);
    } else {
        m_list.clear();
    }
    const TItemEntry* held = RingSlot(m_ringCursor);
    if (held != nullptr && held->Id != 0) {
        m_list.insert(m_list.begin(), TRefPtr<TItemEntry>(new TItemEntry{0, 0}));
    }
    m_rowWindow.GetPager().Reset(static_cast<std::int32_t>(m_list.size()));
    RefreshList();
    for (std::int32_t i = 0; i < kPositions; ++i) {
        m_greys[i].Set(1.0F, i == m_ringCursor ? 1.0F : kOthersGrey, kSteps, 0);
    }
    SetState(&TItemRingLoop::OpenList);
    InfoList();
    PlaySe(kSoundDecide);
}

std::uint32_t TItemRingLoop::OpenList()
{
    for (TLinearRamp& grey : m_greys) {
        grey.Advance();
    }
    m_ringGrey.Advance();
    ApplyGreys();
    if (m_rowWindow.SlideIn()) {
        if (m_rowWindow.GetPager().IsEmpty()) {
            SetState(&TItemRingLoop::EmptyList);
        } else {
            SetState(&TItemRingLoop::List);
        }
    }
    return LOOP_CONTINUE;
}

std::uint32_t TItemRingLoop::List()
{
    switch (m_rowWindow.Step(*this, Moves(TListWindow::kMoveButtons), Pressed(kButtonDecide | kButtonCancel),
                             [this] { RefreshList(); }, [this] { InfoList(); })) {
    case TListWindow::kDecided:
        Choose();
        break;
    case TListWindow::kCancelled:
        SetState(&TItemRingLoop::CloseList);
        InfoRing();
        PlaySe(kSoundCancel);
        break;
    default:
        break;
    }
    return LOOP_CONTINUE;
}

bool TItemRingLoop::Choose()
{
    const std::uint32_t id = m_list[m_rowWindow.GetPager().GetIndex()]->Id;
    const auto slot = static_cast<std::uint32_t>(m_ringCursor);
    std::uint32_t sound = kSoundCancel;
    if (id == 0) {
        Data()->ClearRingItem(slot);
    } else {
        // Items that may not go into the ring, or are in it already, are refused without a word.
        if (TItemTable::Get(id).RingUsable == 0 || IsInRing(id)) {
            return false;
        }
        Data()->AddRingItem(slot, id);
        sound = kSoundDecide;
    }
    RefreshPositions();
    SetState(&TItemRingLoop::CloseList);
    InfoRing();
    PlaySe(sound);
    return true;
}

std::uint32_t TItemRingLoop::EmptyList()
{
    if (Pressed(kButtonCancel) != 0) {
        SetState(&TItemRingLoop::CloseList);
        InfoRing();
        PlaySe(kSoundCancel);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TItemRingLoop::CloseList()
{
    for (TLinearRamp& grey : m_greys) {
        grey.Retreat();
    }
    m_ringGrey.Retreat();
    ApplyGreys();
    if (m_rowWindow.SlideOut()) {
        SetState(&TItemRingLoop::RingSelect);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TItemRingLoop::Close()
{
    for (auto [ramp, w] : {std::pair{&m_x, kNameWindow}, std::pair{&m_y, kInfoWindow}, std::pair{&m_x, kRingCursor},
                           std::pair{&m_x, kRingWindow}}) {
        (*ramp)[w].Retreat();
    }
    return m_x[kRingWindow].AtStart() ? LOOP_END : LOOP_CONTINUE;
}

void TItemRingLoop::DrawWindows()
{
    const auto x = [this](Window w) { return static_cast<float>(m_x[w].value); };
    const auto y = [this](Window w) { return static_cast<float>(m_y[w].value); };
    const auto listX = static_cast<float>(TListWindow::kListX);
    const auto listY = static_cast<float>(m_rowWindow.GetListY().value);
    const auto titleX = static_cast<float>(TListWindow::kTitleX);
    const auto titleY = static_cast<float>(m_rowWindow.GetTitleY().value);
    TItemRing::DrawWheel(x(kRingWindow), y(kRingWindow), m_ringAngle.value, m_ring, m_angles.data(), m_icons.data(),
                         m_counts.data());
    m_ringCursorSprite.Draw(x(kRingCursor), y(kRingCursor), false);
    m_listWindow.Draw(listX, listY, false);
    m_titleWindow.Draw(titleX, titleY, false);
    m_infoWindow.Draw(x(kInfoWindow), y(kInfoWindow), false);
    m_nameWindow.Draw(x(kNameWindow), y(kNameWindow), false);
    m_info.DrawPicture(x(kInfoWindow) + 38.0F, y(kInfoWindow) + 32.0F);
    const bool listShown = IsListShown();
    if (listShown) {
        m_rows.DrawList(listX, listY, m_rowWindow.GetPager(), m_rowWindow.GetBob());
    }
    TSprite::SetRenderMode(3);
    m_info.DrawLines(x(kInfoWindow) + 106.0F, y(kInfoWindow) + 36.0F);
    m_title->Draw(titleX + 50.0F, titleY + 8.0F, false);
    m_name->Draw(x(kNameWindow) + 16.0F, y(kNameWindow) + 8.0F, false);
    if (listShown) {
        m_rows.DrawTexts(listX + 90.0F, listY + 42.0F);
    }
    if (m_state == static_cast<StateFunc>(&TItemRingLoop::EmptyList)) {
        m_empty->Draw(listX + 104.0F, listY + 136.0F, false);
    }
}
