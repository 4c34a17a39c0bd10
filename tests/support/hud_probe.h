// A look into the field HUD for tests: the notice queue and window, the pop-ups' places, rows
// and numbers, the item ring's state, turns and icons, the panel's bars and face, the status icons
// over the player, the letter sheet, and which letter a copied glyph shows.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "MainCode/Hud/TGainPopup.h"
#include "MainCode/Hud/TGetRender.h"
#include "MainCode/Hud/THitPopup.h"
#include "MainCode/Hud/TItemRing.h"
#include "MainCode/Hud/TLetterFont.h"
#include "MainCode/Hud/TLevelUpPopup.h"
#include "MainCode/Hud/TStateIcon.h"
#include "MainCode/Hud/TStatusIcon.h"
#include "MainCode/Hud/TStatusPanel.h"
#include "support/dx_probe.h"

struct THudProbe {
    // Notices.
    static std::vector<TGetRender::Notice> Queue(const TGetRender& r) { return {r.m_queue.begin(), r.m_queue.end()}; }
    static std::size_t QueueCount(const TGetRender& r) { return r.m_count; }
    static bool IsIdle(const TGetRender& r) { return r.m_state == &TGetRender::Idle; }
    static bool IsHolding(const TGetRender& r) { return r.m_state == &TGetRender::Hold; }
    static std::int32_t WindowX(const TGetRender& r) { return r.m_slide.value; }
    static TText8& Text(TGetRender& r) { return r.m_text; }

    // Pop-ups.
    static float X(const TPopupText& p) { return p.m_x; }
    static float Y(const TPopupText& p) { return p.m_y; }
    static float Scale(const THitPopup& p) { return p.m_scale.value; }
    static float Alpha(const THitPopup& p) { return p.m_alpha; }
    static std::int32_t Count(const THitPopup& p) { return p.m_count; }
    static std::int32_t Total(const THitPopup& p) { return p.m_total; }
    static const TSprite& CountDigit(const THitPopup& p, int place) { return p.m_countDigits[place]; }
    static const TSprite& TotalDigit(const THitPopup& p, int place) { return p.m_totalDigits[place]; }
    static const TSprite& Template(const THitPopup& p, int d) { return p.m_templates[d]; }
    static const TPopupRows& Rows(const TRowPopup& p) { return p.m_rows; }
    static const std::vector<TPopupRows::Row>& RowList(const TPopupRows& r) { return r.m_rows; }

    // Item ring.
    static bool IsOpen(const TItemRing& r) { return r.m_state == &TItemRing::StateOpen; }
    static bool IsClosing(const TItemRing& r) { return r.m_state == &TItemRing::StateClosing; }
    static std::int32_t Selected(const TItemRing& r) { return r.m_selected; }
    static const TLinearRamp& Slide(const TItemRing& r) { return r.m_slide; }
    static const TLinearRamp& RingTurn(const TItemRing& r) { return r.m_ringTurn; }
    static const TLinearRamp& SlotAngle(const TItemRing& r, std::int32_t k) { return r.m_slotAngles[k]; }
    static const TSprite& Icon(const TItemRing& r, std::int32_t k) { return r.m_icons[k]; }
    // Tens (0) or units (1) of slot k.
    static const TSprite& CountGlyph(const TItemRing& r, std::int32_t k, std::int32_t digit)
    {
        return r.m_counts[k * 2 + digit];
    }

    // Panel.
    static float Ratio(const TStatusPanel& p, int bar) { return p.m_ratios[bar]; }
    static bool IsFull(const TStatusPanel& p, int slot) { return p.m_full[slot]; }
    static TSprite& Face(TStatusPanel& p) { return p.m_face; }

    // Status icons over the player.
    static TFrame* Root(const TStatusIcon& s) { return s.m_root.Get(); }
    static TStateIcon* Icon(const TStatusIcon& s, std::int32_t i) { return s.m_icons[i].Get(); }
    // The icons on display or leaving, in order of arrival.
    static const std::vector<TRefPtr<TStateIcon>>& Shown(const TStatusIcon& s) { return s.m_shown; }
    static std::int32_t Index(const TStateIcon& i) { return i.m_index; }
    static TFrame* Frame(const TStateIcon& i) { return i.m_frame.Get(); }
    static const TLinearRamp& Move(const TStateIcon& i) { return i.m_move; }
    static const TLinearRamp& Fade(const TStateIcon& i) { return i.m_fade; }

    // The letter sheet.
    static const TTexture8& Image(const TLetterFont& f) { return f.m_image; }
    static std::size_t GlyphCount(const TLetterFont& f) { return f.m_glyphs.size(); }

    // The character whose glyph the sprite carries (same sheet, same cell); '?' for none.
    static char GlyphOf(TLetterFont& font, const TSprite& s)
    {
        for (const char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ!/+()%0123456789.:#")) {
            const TSprite& g = font.Glyph(static_cast<std::uint8_t>(c));
            if (TDxProbe::Image(s).GetTexture() == TDxProbe::Image(g).GetTexture() && s.GetVertex(0).u == g.GetVertex(0).u &&
                s.GetVertex(0).v == g.GetVertex(0).v && s.GetVertex(3).u == g.GetVertex(3).u) {
                return c;
            }
        }
        return '?';
    }
    // The three places of a numbered row, hundreds first.
    static std::string Places(TLetterFont& font, const TPopupRows::Row& row)
    {
        return {GlyphOf(font, row.digits[0]), GlyphOf(font, row.digits[1]), GlyphOf(font, row.digits[2])};
    }
};
