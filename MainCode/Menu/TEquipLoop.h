// The pause menu's equipment screen: the field's status panel slides in with a cursor on its weapon
// and two accessory slots; "A" lists the held items that fit the slot, and choosing one swaps it
// with the slot's item through the inventory. The panel dims while a list is open, and a weapon of
// another type rebuilds the player on the field.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "MainCode/Menu/TItemRows.h"
#include "MainCode/Menu/TListWindow.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "TCommon/TLinearRamp.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"

class TFieldLoop;
class TMenuTopLoop;
class TPlayerCharacter;
class TStatusPanel;
class TText8;
struct TItemEntry;

class TEquipLoop : public TMenuSceneLoop {
public:
    static constexpr std::int32_t kSlots = 3;
    // Ability points of an item without counters.
    static constexpr std::uint32_t kNoAbp = 0xFFFF;

    TEquipLoop(TGameWnd* app, TMenuTopLoop* menu);
    ~TEquipLoop() override;

    // The ability points of the item in the character's record: kNoAbp for an id without counters.
    static std::uint32_t GetAbp(std::uint32_t character, std::uint32_t itemId);

private:
    friend struct TMenuProbe;

    enum Window { kPanel, kInfoWindow, kPlate, kWindows };
    // Panel dims: frame, bars, digits.
    enum Dim { kFrameDim, kBarDim, kDigitDim, kDims };

    std::uint32_t Opening();
    std::uint32_t SlotChoice();
    std::uint32_t ListOpening();
    std::uint32_t WeaponList();
    std::uint32_t AccessoryList();
    std::uint32_t EmptyList();
    std::uint32_t ListClosing();
    std::uint32_t Closing();

    // Both list states: the moves, decide (equip) and cancel.
    void RunList(bool weapon);
    // The swap with the entry under the cursor, or its refusal.
    void EquipWeapon();
    void EquipAccessory();
    void AfterEquipping();
    void FillList();
    void FillRows();
    void InfoFromList();
    void InfoFromSlot();
    void ShowInfo(std::uint32_t itemId);
    void WriteAbp(std::int32_t slot);
    void ApplyColors();
    std::uint32_t SlotItem(std::int32_t slot) const;
    std::uint32_t Character() const;
    TPlayerCharacter* Player() const;
    bool IsListShown() const;
    void DrawWindows() override;

    TMenuTopLoop* m_menu;
    TFieldLoop* m_field = nullptr;
    TStatusPanel* m_panel = nullptr;
    std::int32_t m_weaponType = -1;
    std::int32_t m_slot = 0;
    TListWindow m_rowWindow;
    std::array<TIntRamp, kWindows> m_x;
    std::array<TIntRamp, kWindows> m_y;
    std::array<TLinearRamp, kDims> m_dims;
    // Per slot: its ABP bar, then its icon and full mark.
    std::array<std::array<TLinearRamp, 2>, kSlots> m_slotDims;

    std::vector<TRefPtr<TItemEntry>> m_list;

    TSprite m_listWindow;
    TSprite m_titleWindow;
    TSprite m_infoWindow;
    TSprite m_plate;
    TSprite m_slotCursor;
    std::unique_ptr<TText8> m_name;
    std::unique_ptr<TText8> m_title;
    std::unique_ptr<TText8> m_empty;
    std::array<std::unique_ptr<TText8>, kSlots> m_abp;
    TItemRows m_rows;
    TItemInfo m_info;
};
