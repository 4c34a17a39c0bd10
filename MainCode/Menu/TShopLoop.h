// The screen both shops share: a list window of seven rows with their prices, the money and the
// information windows, then for the chosen row a count window, the held count and a two-answer
// confirmation. The buy shop and the sell shop differ in what their rows are, how far the count
// may go and what the deal does; everything else is here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "MainCode/Menu/TListRows.h"
#include "MainCode/Menu/TListWindow.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "TCommon/TLinearRamp.h"
#include "dx/dx8/3d/TSprite.h"

class TText8;
struct TItemRecord;

class TShopLoop : public TMenuSceneLoop {
public:
    static constexpr std::int32_t kRows = TListPager::kRows;
    // A purchase or sale done; the shop's other sounds are the menus'.
    static constexpr std::uint32_t kSoundDeal = 217;

    ~TShopLoop() override;

    // Opaque grey of level v (alpha 255, each channel (i32)(v × 255)).
    static DWORD Grey(float v);

protected:
    // className: the capture's name after "sT"; totalName: the total line's text name.
    TShopLoop(TGameWnd* app, const std::string& className, const std::string& totalName);

    // Last in the shop's constructor, once its list is in: rows, information, money, first state.
    void Open();

    // The list: its length and the item under each index.
    virtual std::int32_t GetLength() const = 0;
    virtual std::uint32_t GetItemId(std::int32_t k) const = 0;
    // What one piece costs (buy) or fetches (sell).
    virtual std::uint32_t GetUnitPrice(const TItemRecord& record) const = 0;
    virtual void RefreshRows() = 0;
    // "A" on the row: false refuses it (the shop plays its own sound).
    virtual bool MayChoose() { return true; }
    // The count the window opens with, and the held count it shows.
    virtual std::int32_t GetFirstCount() const { return 1; }
    virtual std::int32_t GetHeldCount() const = 0;
    // The count raised by n as far as the shop lets it go.
    virtual std::int32_t Raise(std::int32_t count, std::int32_t n) const = 0;
    // The purchase or the sale of the count; the rows and money are refreshed after it.
    virtual void Deal() = 0;

    // The item of the row under the cursor.
    std::uint32_t GetCurrentId() const { return GetItemId(m_rowWindow.GetPager().GetIndex()); }
    bool IsInList(std::int32_t k) const { return k >= 0 && k < GetLength(); }
    // Clears row i's text, writes it with the shop font and uploads it; the icon by the item's kind.
    void WriteRow(std::int32_t i, const std::string& text, std::int32_t x);
    void WriteRowPrice(std::int32_t i, std::uint32_t price);
    void SetRowIcon(std::int32_t i, const TItemRecord& record);
    void ClearRow(std::int32_t i);
    // "tEmpty" holding the word, shown in place of an empty list.
    void CreateEmptyText(const std::string& word);
    void RefreshInfo();
    void RefreshMoney(std::uint32_t money);
    void PrepareCount();
    void RefreshTotal();
    void ApplyDim();

    std::uint32_t FadeIn();
    std::uint32_t OpenWindows();
    std::uint32_t Select();
    std::uint32_t Empty();
    std::uint32_t CloseWindows();
    std::uint32_t FadeOut();
    std::uint32_t OpenCount();
    std::uint32_t SelectCount();
    std::uint32_t CloseCount();
    std::uint32_t OpenConfirm();
    std::uint32_t Confirm();
    std::uint32_t CloseConfirm();
    std::uint32_t CloseAfterDeal();

    TListWindow m_rowWindow;
    std::int32_t m_count = 0;
    std::int32_t m_choice = 0;  // 0 buy or sell, 1 not
    std::array<TLinearRamp, kRows> m_rowDims;
    std::array<TLinearRamp, kRows> m_iconDims;
    TListRows m_rows;

private:
    friend struct TMenuProbe;

    // Window positions, in the order the windows open.
    enum Window { kMoney, kInfo, kList, kCount, kHeld, kConfirm, kWindows };

    void DrawWindows() override;
    // The count layer's windows and the row dims step together.
    bool StepCountLayer(bool open);
    // What follows the list's closing layers: the list, or the empty shop.
    void BackToList();

    std::array<TIntRamp, kWindows> m_x;
    std::array<TIntRamp, kWindows> m_y;
    TRepeatIntRamp m_confirmBob;
    TLinearRamp m_listDim;

    TSprite m_listWindow;
    TSprite m_moneyWindow;
    TSprite m_infoWindow;
    TSprite m_countWindow;
    TSprite m_heldWindow;
    TSprite m_confirmWindow;
    TSprite m_confirmCursor;
    TSprite m_infoPicture;
    TSprite m_countIcon;

    std::array<std::unique_ptr<TText8>, 3> m_infoLines;
    std::unique_ptr<TText8> m_money;
    std::unique_ptr<TText8> m_total;
    std::unique_ptr<TText8> m_held;
    std::unique_ptr<TText8> m_empty;
};
