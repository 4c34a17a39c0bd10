#include "MainCode/Menu/TShopLoop.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TText8.h"

namespace {

constexpr std::int32_t kWindowSteps = 10;
constexpr std::int32_t kDimSteps = 10;
constexpr float kDimLevel = 0.4F;
constexpr std::uint32_t kTextWidth = 512;
constexpr std::uint32_t kTextHeight = 16;

// The shop's list window is wider than the other menus' and its rows closer.
TListRows::Layout RowLayout()
{
    TListRows::Layout layout;
    layout.pitch = 34.0F;
    layout.iconX = 72.0F;
    layout.iconY = 46.0F;
    layout.cursorX = 46.0F;
    layout.cursorY = 54.0F;
    layout.arrowX = 402.0F;
    layout.upArrowY = 32.0F;
    layout.downArrowY = 272.0F;
    return layout;
}

// One font for every text of the shop, made for each write.
struct ShopFont : TFontHolder {
    ShopFont() : TFontHolder(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0) {}
};

std::unique_ptr<TText8> MakeText(const std::string& name, std::uint32_t width)
{
    return std::make_unique<TText8>(name, width, kTextHeight, 255, 255, 255, D3DPOOL_MANAGED, 0);
}

TSprite Picture(const char* name)
{
    return TSprite::FromFile(std::string("sprite.ptx/") + name, D3DPOOL_MANAGED, 0);
}

// The price, the money and the total: right-aligned in eight places, then the currency. (A space
// flag, as in "% 8lu", adds nothing to an unsigned number or a text, so the formats leave it out.)
std::string Bell(std::uint64_t n)
{
    char text[40];
    std::snprintf(text, sizeof text, "%8llu ベル", static_cast<unsigned long long>(n));
    return text;
}

}  // namespace

TShopLoop::TShopLoop(TGameWnd* app, const std::string& className, const std::string& totalName)
    : TMenuSceneLoop(app), m_rows("tItem", kTextWidth, RowLayout())
{
    SetState(&TShopLoop::FadeIn);
    // x then y of each window: from, to.
    static constexpr std::int32_t kTweens[kWindows][4] = {
        {-170, 8, 8, 8},     // money
        {64, 64, 500, 344},  // information
        {96, 96, -324, 24},  // list
        {96, 96, -80, 128},  // count
        {640, 408, 192, 192},  // held count
        {640, 464, 296, 296},  // confirmation
    };
    for (int w = 0; w < kWindows; ++w) {
        m_x[w].Set(kTweens[w][0], kTweens[w][1], kWindowSteps, 0);
        m_y[w].Set(kTweens[w][2], kTweens[w][3], kWindowSteps, 0);
    }
    m_confirmBob.Start(-3, 3, 10, TRepeatIntRamp::kEndless, true);
    SetDim(kDimLevel, kDimSteps);
    m_listDim.Set(1.0F, 0.7F, kDimSteps, 0);
    for (int i = 0; i < kRows; ++i) {
        m_rowDims[i].Set(1.0F, 1.0F, kDimSteps, 0);
        m_iconDims[i].Set(1.0F, 1.0F, kDimSteps, 0);
    }
    m_listWindow = Picture("window17");
    m_moneyWindow = Picture("window16");
    m_infoWindow = Picture("window06");
    m_countWindow = Picture("window18");
    m_heldWindow = Picture("window19");
    m_confirmCursor = Picture("cursor02");
    m_confirmWindow = Picture("window10");
    for (int i = 0; i < 3; ++i) {
        m_infoLines[i] = MakeText("tTextInfo" + std::to_string(i) + "_", kTextWidth);
    }
    m_money = MakeText("tBell", kTextWidth);
    m_total = MakeText(totalName, kTextWidth);
    m_held = MakeText("tHaveNum", 32);
    CaptureBackground(className);
    LoadSounds("subset/shop_se.tbl");
}

TShopLoop::~TShopLoop() = default;

DWORD TShopLoop::Grey(float v)
{
    return GreyColor(v);
}

void TShopLoop::Open()
{
    m_rowWindow.GetPager().Reset(GetLength());
    RefreshRows();
    RefreshInfo();
    TGameData* data = TGameData::GetInstance();
    RefreshMoney(data != nullptr ? data->GetMoney() : 0);
    StartStandAlone();
}

void TShopLoop::WriteRow(std::int32_t i, const std::string& text, std::int32_t x)
{
    ShopFont font;
    m_rows.Text(i).DrawText(x, 0, text, &font, false);
}

void TShopLoop::WriteRowPrice(std::int32_t i, std::uint32_t price)
{
    WriteRow(i, Bell(price), 174);
}

void TShopLoop::SetRowIcon(std::int32_t i, const TItemRecord& record)
{
    if (record.Kind == 1) {
        m_rows.Icon(i) = TWeponTable::CreateIconSprite(record.Id);
    } else {
        m_rows.Icon(i) = TSprite::FromFile(record.Kind == 2 ? "itm_icon.ptx/itm01_icon" : "itm_icon.ptx/itm00_icon",
                                          D3DPOOL_MANAGED, 0);
    }
}

void TShopLoop::ClearRow(std::int32_t i)
{
    m_rows.Text(i).Clear(true);
    m_rows.Icon(i) = TSprite::FromFile("", D3DPOOL_MANAGED, 0);
}

void TShopLoop::CreateEmptyText(const std::string& word)
{
    m_empty = MakeText("tEmpty", 128);
    ShopFont font;
    m_empty->DrawText(0, 0, word, &font, true);
}

void TShopLoop::RefreshInfo()
{
    if (GetLength() == 0) {
        m_infoPicture = TSprite::FromFile("", D3DPOOL_MANAGED, 0);
        return;
    }
    TItemTable::CreateInfoSprite(m_infoPicture, GetCurrentId());
    TText8* lines[3] = {m_infoLines[0].get(), m_infoLines[1].get(), m_infoLines[2].get()};
    TItemTable::FormatInfo(std::span<TText8* const>(lines), GetCurrentId(), false);
}

void TShopLoop::RefreshMoney(std::uint32_t money)
{
    ShopFont font;
    m_money->Clear(false);
    m_money->DrawText(0, 0, Bell(money), &font, true);
}

void TShopLoop::PrepareCount()
{
    m_count = GetFirstCount();
    RefreshTotal();
    const std::int32_t held = GetHeldCount();
    ShopFont font;
    m_held->Clear(false);
    m_held->DrawText(held >= 10 ? 0 : 8, 0, std::to_string(held), &font, true);
    m_countIcon = m_rows.GetIcon(m_rowWindow.GetPager().GetRow());
    m_countIcon.SetColor(0xFFFFFFFF, -1);
}

void TShopLoop::RefreshTotal()
{
    const TItemRecord& record = TItemTable::Get(GetCurrentId());
    const std::uint64_t total = std::uint64_t{GetUnitPrice(record)} * static_cast<std::uint64_t>(m_count);
    char text[160];
    std::snprintf(text, sizeof text, "%-16s × %2d ＝ %8llu ベル", record.Name.c_str(), static_cast<int>(m_count),
                  static_cast<unsigned long long>(total));
    ShopFont font;
    m_total->Clear(false);
    m_total->DrawText(0, 0, text, &font, true);
}

void TShopLoop::ApplyDim()
{
    const DWORD list = Grey(m_listDim.value);
    m_listWindow.SetColor(list, -1);
    m_rows.SetFrameColor(list);
    for (int i = 0; i < kRows; ++i) {
        m_rows.SetColors(i, Grey(m_rowDims[i].value), Grey(m_iconDims[i].value));
    }
}

std::uint32_t TShopLoop::FadeIn()
{
    FadeDimIn();
    if (m_dim.AtEnd()) {
        SetState(&TShopLoop::OpenWindows);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TShopLoop::OpenWindows()
{
    for (Window w : {kMoney, kInfo, kList}) {
        m_x[w].Advance();
        m_y[w].Advance();
    }
    if (m_y[kList].AtEnd()) {
        BackToList();
    }
    return LOOP_CONTINUE;
}

void TShopLoop::BackToList()
{
    // Only the sell shop can run out of rows; it says so in place of the list.
    if (m_empty != nullptr && GetLength() == 0) {
        SetState(&TShopLoop::Empty);
    } else {
        SetState(&TShopLoop::Select);
    }
}

std::uint32_t TShopLoop::Select()
{
    // Cancel goes before decide in the shops.
    switch (m_rowWindow.Step(*this, Moves(TListWindow::kMoveButtons), Pressed(kButtonDecide | kButtonCancel),
                             [this] { RefreshRows(); }, [this] { RefreshInfo(); }, TListWindow::kCancelFirst)) {
    case TListWindow::kCancelled:
        SetState(&TShopLoop::CloseWindows);
        PlaySe(kSoundCancel);
        break;
    case TListWindow::kDecided:
        // A shop without goods has nothing to choose.
        if (GetLength() > 0 && MayChoose()) {
            PrepareCount();
            SetState(&TShopLoop::OpenCount);
            PlaySe(kSoundDecide);
        }
        break;
    default:
        break;
    }
    return LOOP_CONTINUE;
}

std::uint32_t TShopLoop::Empty()
{
    if (Pressed(kButtonCancel) != 0) {
        SetState(&TShopLoop::CloseWindows);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TShopLoop::CloseWindows()
{
    for (Window w : {kMoney, kInfo, kList}) {
        m_x[w].Retreat();
        m_y[w].Retreat();
    }
    if (m_y[kList].AtStart()) {
        SetState(&TShopLoop::FadeOut);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TShopLoop::FadeOut()
{
    FadeDimOut();
    if (m_dim.AtStart()) {
        m_state = nullptr;
        return LOOP_END;
    }
    return LOOP_CONTINUE;
}

bool TShopLoop::StepCountLayer(bool open)
{
    for (int i = 0; i < kRows; ++i) {
        if (open) {
            m_rowDims[i].Advance();
            m_iconDims[i].Advance();
        } else {
            m_rowDims[i].Retreat();
            m_iconDims[i].Retreat();
        }
    }
    if (open) {
        m_y[kCount].Advance();
        m_x[kHeld].Advance();
        m_listDim.Advance();
    } else {
        m_y[kCount].Retreat();
        m_x[kHeld].Retreat();
        m_listDim.Retreat();
    }
    ApplyDim();
    return open ? m_listDim.AtEnd() : m_listDim.AtStart();
}

std::uint32_t TShopLoop::OpenCount()
{
    if (StepCountLayer(true)) {
        SetState(&TShopLoop::SelectCount);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TShopLoop::SelectCount()
{
    const std::int32_t before = m_count;
    bool changed = true;
    if (Moves(kButtonUp) != 0) {
        m_count = Raise(m_count, 10);
    } else if (Moves(kButtonDown) != 0) {
        m_count = std::max(m_count - 10, 0);
    } else if (Moves(kButtonLeft) != 0) {
        m_count = Raise(m_count, 1);
    } else if (Moves(kButtonRight) != 0) {
        m_count = std::max(m_count - 1, 0);
    } else {
        changed = false;
        if (Pressed(kButtonCancel) != 0) {
            SetState(&TShopLoop::CloseCount);
            PlaySe(kSoundCancel);
        } else if (Pressed(kButtonDecide) != 0) {
            if (m_count > 0) {
                m_choice = 0;
                SetState(&TShopLoop::OpenConfirm);
                PlaySe(kSoundDecide);
            } else {
                SetState(&TShopLoop::CloseCount);
                PlaySe(kSoundCancel);
            }
        }
    }
    if (changed) {
        RefreshTotal();
    }
    if (m_count != before) {
        PlaySe(kSoundListCursor);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TShopLoop::CloseCount()
{
    if (StepCountLayer(false)) {
        SetState(&TShopLoop::Select);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TShopLoop::OpenConfirm()
{
    m_x[kConfirm].Advance();
    if (m_x[kConfirm].AtEnd()) {
        SetState(&TShopLoop::Confirm);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TShopLoop::Confirm()
{
    m_confirmBob.Step();
    if (Moves(kButtonUp | kButtonDown) != 0) {
        m_choice ^= 1;
        PlaySe(kSoundListCursor);
    } else if (Pressed(kButtonCancel) != 0 || (Pressed(kButtonDecide) != 0 && m_choice == 1)) {
        SetState(&TShopLoop::CloseConfirm);
        PlaySe(kSoundCancel);
    } else if (Pressed(kButtonDecide) != 0) {
        Deal();
        RefreshRows();
        RefreshInfo();
        TGameData* data = TGameData::GetInstance();
        RefreshMoney(data != nullptr ? data->GetMoney() : 0);
        SetState(&TShopLoop::CloseAfterDeal);
        PlaySe(kSoundDeal);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TShopLoop::CloseConfirm()
{
    m_x[kConfirm].Retreat();
    if (m_x[kConfirm].AtStart()) {
        SetState(&TShopLoop::SelectCount);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TShopLoop::CloseAfterDeal()
{
    StepCountLayer(false);
    m_x[kConfirm].Retreat();
    if (m_x[kConfirm].AtStart()) {
        BackToList();
    }
    return LOOP_CONTINUE;
}

void TShopLoop::DrawWindows()
{
    const auto at = [](const TIntRamp& r) { return static_cast<float>(r.value); };
    const float listX = at(m_x[kList]);
    const float listY = at(m_y[kList]);
    m_listWindow.Draw(listX, listY, false);
    m_moneyWindow.Draw(at(m_x[kMoney]), at(m_y[kMoney]), false);
    m_infoWindow.Draw(at(m_x[kInfo]), at(m_y[kInfo]), false);
    m_infoPicture.Draw(at(m_x[kInfo]) + 38.0F, at(m_y[kInfo]) + 32.0F, false);
    const bool empty = m_state == static_cast<StateFunc>(&TShopLoop::Empty);
    if (!empty) {
        // The cursor shows on an empty buy list too.
        const TListPager& pager = m_rowWindow.GetPager();
        m_rows.DrawCursor(listX, listY, pager, m_rowWindow.GetBob());
        m_rows.DrawArrows(listX, listY, pager, GetLength(), m_rowWindow.GetBob());
        m_rows.DrawIcons(listX, listY);
    }
    TSprite::SetRenderMode(3);
    for (int i = 0; i < 3; ++i) {
        m_infoLines[i]->Draw(at(m_x[kInfo]) + 106.0F, at(m_y[kInfo]) + 36.0F + 20.0F * static_cast<float>(i), false);
    }
    m_money->Draw(at(m_x[kMoney]) + 30.0F, at(m_y[kMoney]) + 8.0F, false);
    if (empty) {
        m_empty->Draw(listX + 180.0F, listY + 152.0F, false);
    } else {
        m_rows.DrawTexts(listX + 120.0F, listY + 54.0F);
    }
    static constexpr StateFunc kCountStates[] = {
        static_cast<StateFunc>(&TShopLoop::OpenCount),   static_cast<StateFunc>(&TShopLoop::SelectCount),
        static_cast<StateFunc>(&TShopLoop::CloseCount),  static_cast<StateFunc>(&TShopLoop::OpenConfirm),
        static_cast<StateFunc>(&TShopLoop::Confirm),     static_cast<StateFunc>(&TShopLoop::CloseConfirm),
        static_cast<StateFunc>(&TShopLoop::CloseAfterDeal)};
    if (std::find(std::begin(kCountStates), std::end(kCountStates), m_state) == std::end(kCountStates)) {
        return;
    }
    const float countX = at(m_x[kCount]);
    const float countY = at(m_y[kCount]);
    const float heldX = at(m_x[kHeld]);
    const float heldY = at(m_y[kHeld]);
    const float confirmX = at(m_x[kConfirm]);
    const float confirmY = at(m_y[kConfirm]);
    TSprite::SetRenderMode(1);
    m_countWindow.Draw(countX, countY, false);
    m_heldWindow.Draw(heldX, heldY, false);
    m_countIcon.Draw(countX + 50.0F, countY + 20.0F, false);
    m_confirmWindow.Draw(confirmX, confirmY, false);
    m_confirmCursor.Draw(confirmX + 12.0F + static_cast<float>(m_confirmBob.Value()),
                         confirmY + 16.0F * static_cast<float>(m_choice + 1), false);
    TSprite::SetRenderMode(3);
    m_total->Draw(countX + 110.0F, countY + 28.0F, false);
    m_held->Draw(heldX + 88.0F, heldY + 8.0F, false);
}
