// A look into the menu screens for tests: which state runs, the cursors, lists and counts, and the
// pieces a screen draws with.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/Menu/TBuyShopLoop.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TInnLoop.h"
#include "MainCode/Menu/TItemRingLoop.h"
#include "MainCode/Menu/TListRows.h"
#include "MainCode/Menu/TMenuChoiceLoop.h"
#include "MainCode/Menu/TMenuConfirmLoop.h"
#include "MainCode/Menu/TMenuSaveLoop.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TMenuWindowColumn.h"
#include "MainCode/Menu/TOptionLoop.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "MainCode/Menu/TSaveSlotPage.h"
#include "MainCode/Menu/TSelectContinueDataLoop.h"
#include "MainCode/Menu/TSellShopLoop.h"
#include "MainCode/Menu/TShopLoop.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "MainCode/Menu/TStatusLoop.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "TCommon/TRefPtr.h"

struct TMenuProbe {
    // Whether the scene's state is this one of its own steps.
    template <typename Scene>
    static bool Runs(const Scene& scene, std::uint32_t (Scene::*state)())
    {
        return scene.m_state == static_cast<TSceneLoop::StateFunc>(state);
    }

    // Menu scene frame.
    static const TSprite& Background(const TMenuSceneLoop& s) { return s.m_background; }
    static DWORD DimColor(const TMenuSceneLoop& s) { return s.m_dimOverlay.GetVertex(0).diffuse; }

    // Pause menu and its choice windows.
    static std::int32_t Cursor(const TMenuTopLoop& s) { return s.m_cursor; }
    static const TMenuWindowColumn& Items(const TMenuTopLoop& s) { return s.m_items; }
    static TSoundFader* Fader(const TMenuTopLoop& s) { return s.m_fader.Get(); }
    static const TMenuWindowColumn::Window& At(const TMenuWindowColumn& c, std::int32_t i)
    {
        return c.m_windows[static_cast<std::size_t>(i)];
    }
    static std::int32_t Cursor(const TMenuChoiceLoop& s) { return s.m_cursor; }
    static const TMenuWindowColumn& Choices(const TMenuChoiceLoop& s) { return s.m_choices; }
    static std::int32_t Character(const TMenuConfirmLoop& s) { return s.m_character; }
    // Whom the change plays next; -1 when the played character has no one to change to.
    static std::int32_t Target(const TMenuConfirmLoop& s) { return s.m_targets[0]; }

    // Options.
    // The row that takes the input; -1 while the windows slide.
    static std::int32_t Row(const TOptionLoop& s)
    {
        std::uint32_t (TOptionLoop::*const rows[TOptionLoop::kRows])() = {
            &TOptionLoop::MiniMapRow, &TOptionLoop::MusicRow, &TOptionLoop::SeRow, &TOptionLoop::VoiceRow};
        for (std::int32_t r = 0; r < TOptionLoop::kRows; ++r) {
            if (Runs(s, rows[r])) {
                return r;
            }
        }
        return -1;
    }
    static std::uint8_t MiniMap(const TOptionLoop& s) { return s.m_miniMap; }
    // Slider 0..2: music, sound effects, voices.
    static std::int32_t Level(const TOptionLoop& s, std::int32_t slider)
    {
        return s.m_levels[static_cast<std::size_t>(slider)];
    }
    static const TIntRamp& WindowY(const TOptionLoop& s, std::int32_t row)
    {
        return s.m_windowY[static_cast<std::size_t>(row)];
    }
    static const TSprite& Window(const TOptionLoop& s, std::int32_t row)
    {
        return s.m_windows[static_cast<std::size_t>(row)];
    }
    static const TSprite& Knob(const TOptionLoop& s, std::int32_t slider)
    {
        return s.m_knobs[static_cast<std::size_t>(slider)];
    }
    static const TText8& MiniMapText(const TOptionLoop& s) { return *s.m_miniMapText; }

    // Status window.
    static bool IsOpen(const TStatusLoop& s) { return Runs(s, &TStatusLoop::Main); }
    static const TIntRamp& WindowY(const TStatusLoop& s) { return s.m_windowY; }
    static TFrame* CharFrame(const TStatusLoop& s) { return s.m_char.Get(); }
    static TFrame* CameraFrame(const TStatusLoop& s) { return s.m_camera.Get(); }
    static const TMesh8* Model(const TStatusLoop& s) { return s.m_model; }
    static const TText8& Text(const TStatusLoop& s, std::size_t i) { return *s.m_texts[i]; }

    // Yes/no question.
    static std::uint8_t Kind(const TYesNoLoop& s) { return s.m_kind; }
    // 0 yes, 1 no.
    static std::int32_t Selection(const TYesNoLoop& s) { return s.m_selection; }
    static DWORD BlackColor(const TYesNoLoop& s) { return s.m_black.GetVertex(0).diffuse; }

    // List rows.
    static const TText8& Text(const TListRows& rows, std::int32_t i) { return *rows.m_texts[i]; }
    static const TSprite& Icon(const TListRows& rows, std::int32_t i) { return rows.m_icons[i]; }

    // Item ring screen.
    static std::int32_t RingCursor(const TItemRingLoop& s) { return s.m_ringCursor; }
    static const TListPager& Pager(const TItemRingLoop& s) { return s.m_rowWindow.GetPager(); }
    // The list's entries; the take-out entry has item id 0.
    static const std::vector<TRefPtr<TItemEntry>>& List(const TItemRingLoop& s) { return s.m_list; }
    static const TLinearRamp& RingAngle(const TItemRingLoop& s) { return s.m_ringAngle; }
    static const TLinearRamp& PositionAngle(const TItemRingLoop& s, std::int32_t i) { return s.m_angles[i]; }
    static const TSprite& PositionIcon(const TItemRingLoop& s, std::int32_t i) { return s.m_icons[i]; }
    // Tens (0) or units (1) of position i.
    static const TSprite& CountGlyph(const TItemRingLoop& s, std::int32_t i, std::int32_t digit)
    {
        return s.m_counts[i * 2 + digit];
    }
    static const TSprite& Ring(const TItemRingLoop& s) { return s.m_ring; }
    static const TItemRows& Rows(const TItemRingLoop& s) { return s.m_rows; }
    static const TText8& Name(const TItemRingLoop& s) { return *s.m_name; }
    static bool IsSelecting(const TItemRingLoop& s) { return Runs(s, &TItemRingLoop::RingSelect); }
    static bool IsTurning(const TItemRingLoop& s) { return Runs(s, &TItemRingLoop::Turn); }
    static bool IsInList(const TItemRingLoop& s) { return Runs(s, &TItemRingLoop::List); }
    // The empty notice is up instead of the list.
    static bool IsEmptyShown(const TItemRingLoop& s) { return Runs(s, &TItemRingLoop::EmptyList); }

    // Equipment screen.
    static std::int32_t Slot(const TEquipLoop& s) { return s.m_slot; }
    static std::int32_t WeaponType(const TEquipLoop& s) { return s.m_weaponType; }
    static const TListPager& Pager(const TEquipLoop& s) { return s.m_rowWindow.GetPager(); }
    static const std::vector<TRefPtr<TItemEntry>>& List(const TEquipLoop& s) { return s.m_list; }
    static const TItemRows& Rows(const TEquipLoop& s) { return s.m_rows; }
    static const TText8& Name(const TEquipLoop& s) { return *s.m_name; }
    static const TText8& Title(const TEquipLoop& s) { return *s.m_title; }
    static const TText8& AbpText(const TEquipLoop& s, std::int32_t slot) { return *s.m_abp[slot]; }
    static bool IsChoosingSlot(const TEquipLoop& s) { return Runs(s, &TEquipLoop::SlotChoice); }
    static bool IsInList(const TEquipLoop& s)
    {
        return Runs(s, &TEquipLoop::WeaponList) || Runs(s, &TEquipLoop::AccessoryList);
    }
    static bool IsEmptyShown(const TEquipLoop& s) { return Runs(s, &TEquipLoop::EmptyList); }

    // Skill window.
    // Which state runs, by name: "Open", "SelectSlot", "OpenList", "SelectSkill", "Empty",
    // "CloseList", "Close"; "" for none of them.
    static const char* StateName(const TSkillLoop& s)
    {
        const struct {
            std::uint32_t (TSkillLoop::*state)();
            const char* name;
        } states[] = {
            {&TSkillLoop::Open, "Open"},         {&TSkillLoop::SelectSlot, "SelectSlot"},
            {&TSkillLoop::OpenList, "OpenList"}, {&TSkillLoop::SelectSkill, "SelectSkill"},
            {&TSkillLoop::Empty, "Empty"},       {&TSkillLoop::CloseList, "CloseList"},
            {&TSkillLoop::Close, "Close"},
        };
        for (const auto& state : states) {
            if (Runs(s, state.state)) {
                return state.name;
            }
        }
        return "";
    }
    static const std::vector<std::uint32_t>& List(const TSkillLoop& s) { return s.m_list; }
    static const TListPager& Pager(const TSkillLoop& s) { return s.m_rowWindow.GetPager(); }
    static std::int32_t SavedSelection(const TSkillLoop& s) { return s.m_savedSelection; }
    static std::uint32_t InfoId(const TSkillLoop& s) { return s.m_infoId; }
    static const TSprite& RowIcon(const TSkillLoop& s, std::int32_t row) { return Icon(s.m_rows, row); }
    static const TListRows& Rows(const TSkillLoop& s) { return s.m_rows; }
    // Save slot page.
    static std::int32_t Cursor(const TSaveSlotPage& p) { return p.m_cursor; }
    static std::int32_t Page(const TSaveSlotPage& p) { return p.m_page; }
    static std::int32_t Code(const TSaveSlotPage& p, std::int32_t row)
    {
        return p.m_codes[static_cast<std::size_t>(row)];
    }
    static std::int32_t LastSaveResult(const TSaveSlotPage& p) { return p.m_lastSave; }
    static std::int32_t Choice(const TSaveSlotPage& p) { return p.m_choice; }
    static bool InSelection(const TSaveSlotPage& p) { return p.m_state == &TSaveSlotPage::StateSelect; }
    static const TText8& RowText(const TSaveSlotPage& p, std::int32_t row)
    {
        return *p.m_rowTexts[static_cast<std::size_t>(row)];
    }
    static const TText8& TitleText(const TSaveSlotPage& p) { return *p.m_titleText; }
    static const TText8& PageText(const TSaveSlotPage& p) { return *p.m_pageText; }
    static std::int32_t RowX(const TSaveSlotPage& p, std::int32_t row)
    {
        return p.m_rowX[static_cast<std::size_t>(row)].value;
    }
    static std::int32_t RowY(const TSaveSlotPage& p, std::int32_t row)
    {
        return p.m_rowY[static_cast<std::size_t>(row)].value;
    }
    static std::int32_t QuestionY(const TSaveSlotPage& p) { return p.m_questionY.value; }
    static const TRowHighlight& RowLight(const TSaveSlotPage& p, std::int32_t row)
    {
        return p.m_rowLight[static_cast<std::size_t>(row)];
    }

    // Save and load screens.
    static std::int32_t Mode(const TSaveLoadLoop& s) { return s.m_mode; }
    static std::int32_t Chapter(const TSaveLoadLoop& s) { return s.m_chapter; }
    static const TSaveSlotPage& SlotPage(const TSaveLoadLoop& s) { return s.m_page; }
    // 3 with the save offered, else 2 (load and back).
    static std::int32_t ChoiceCount(const TMenuSaveLoop& s) { return s.m_choices.Count(); }
    static const TSaveSlotPage& SlotPage(const TMenuSaveLoop& s) { return s.m_page; }

    // Carry-over choice.
    static std::int32_t RowCount(const TSelectContinueDataLoop& s) { return s.m_rows; }
    static std::int32_t Cursor(const TSelectContinueDataLoop& s) { return s.m_cursor; }
    static std::int32_t Decision(const TSelectContinueDataLoop& s) { return s.m_decision; }
    static std::int32_t RowY(const TSelectContinueDataLoop& s, std::int32_t row)
    {
        return s.m_rowY[static_cast<std::size_t>(row)].value;
    }
    static const TRowHighlight& RowLight(const TSelectContinueDataLoop& s, std::int32_t row)
    {
        return s.m_rowLight[static_cast<std::size_t>(row)];
    }
    static const TText8& RowText(const TSelectContinueDataLoop& s, std::int32_t row)
    {
        return *s.m_texts[static_cast<std::size_t>(row)];
    }
    static bool InInput(const TSelectContinueDataLoop& s) { return Runs(s, &TSelectContinueDataLoop::StateInput); }
    // Shops.
    static const TListPager& Pager(const TShopLoop& s) { return s.m_rowWindow.GetPager(); }
    static std::int32_t Count(const TShopLoop& s) { return s.m_count; }
    static const TText8& TotalText(const TShopLoop& s) { return *s.m_total; }
    static std::int32_t Choice(const TShopLoop& s) { return s.m_choice; }
    static const TText8& RowText(const TShopLoop& s, std::int32_t row) { return Text(s.m_rows, row); }
    static const TListRows& Rows(const TShopLoop& s) { return s.m_rows; }
    static bool IsSelecting(const TShopLoop& s) { return Runs(s, &TShopLoop::Select); }
    static bool IsEmptyShown(const TShopLoop& s) { return Runs(s, &TShopLoop::Empty); }
    static bool IsCounting(const TShopLoop& s) { return Runs(s, &TShopLoop::SelectCount); }
    static bool IsConfirming(const TShopLoop& s) { return Runs(s, &TShopLoop::Confirm); }
    static const std::vector<std::uint32_t>& Items(const TBuyShopLoop& s) { return s.m_goods; }
    static const std::vector<TRefPtr<TItemEntry>>& Entries(const TSellShopLoop& s) { return s.m_entries; }

    // Inn.
    static TFieldLoop* Field(const TInnLoop& s) { return s.m_field; }
    static const TUiQuad& Quad(const TInnLoop& s) { return s.m_quad; }
    static bool HasFader(const TInnLoop& s) { return s.m_fader.Get() != nullptr; }
    static std::int32_t WaitSteps(const TInnLoop& s) { return s.m_waitSteps; }
    static bool IsFadingOut(const TInnLoop& s) { return Runs(s, &TInnLoop::FadingOut); }
    static bool IsPlayingTune(const TInnLoop& s) { return Runs(s, &TInnLoop::PlayingTune); }
};
