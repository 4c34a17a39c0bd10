// A look into the menu screens for tests: which state runs, the cursors, lists and counts, and the
// pieces a screen draws with.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TItemRingLoop.h"
#include "MainCode/Menu/TListRows.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "TCommon/TRefPtr.h"

struct TMenuProbe {
    // Whether the scene's state is this one of its own steps.
    template <typename Scene>
    static bool Runs(const Scene& scene, std::uint32_t (Scene::*state)())
    {
        return scene.m_state == static_cast<TSceneLoop::StateFunc>(state);
    }

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

    // Skill window.
    // Which state runs, by name: "Open", "SelectSlot", "OpenList", "SelectSkill", "Empty",
    // "CloseList", "Close"; "" for none of them.
    static const char* StateName(const TSkillLoop& s)
    {
        const struct {
            std::uint32_t (TSkillLoop::*state)();
            const char* name;
        } states[] = {
            {&TSkillLoop::Open, "Open"},           {&TSkillLoop::SelectSlot, "SelectSlot"},
            {&TSkillLoop::OpenList, "OpenList"},   {&TSkillLoop::SelectSkill, "SelectSkill"},
            {&TSkillLoop::Empty, "Empty"},         {&TSkillLoop::CloseList, "CloseList"},
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
};
