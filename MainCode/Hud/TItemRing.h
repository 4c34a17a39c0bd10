// The field's quick-use item ring: while "D" is held it slides in from the left with the eight
// ring slots around it, "UP" and "DOWN" turn it a slot, and letting go of "D" uses the item at the
// selection point (the slot standing at angle 0, right of the centre). Slot 0 is the empty place.
#pragma once

#include <cstdint>

#include "TCommon/TLinearRamp.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/sound/TSoundList.h"

class TLetterFont;
class TPlayerCharacter;
struct TItemEntry;

class TItemRing {
public:
    static constexpr std::int32_t kSlots = 8;

    static TRefPtr<TItemRing> Create(TLetterFont* font);
    explicit TItemRing(TLetterFont* font);
    virtual ~TItemRing();
    TItemRing(const TItemRing&) = delete;
    TItemRing& operator=(const TItemRing&) = delete;

    // Angles back to slot 0, the icons and the counts afresh: the player taking over the HUD.
    void Reset();
    // The icons of slots 1..7 from the game data's ring.
    void Update();
    // The two count glyphs of slots 1..7.
    void UpdateCounts();
    // One step of the current state; true while the open ring takes this step's input.
    bool RunState(TPlayerCharacter* player);
    void Draw();
    void ResetAngles();
    // One slot on: backward turns by -pi/4, else +pi/4, each ramp from where it was heading.
    void Turn(bool backward);

    // Shared with the pause menu's ring screen, which shows the same wheel larger.
    // The two count glyphs of a ring entry: blank for an empty one, a blank and the units below 10.
    static void SetCountGlyphs(TLetterFont* font, const TItemEntry* entry, TSprite& tens, TSprite& units);
    // A turn by delta, from where the ramp was heading.
    static void StartTurn(TLinearRamp& ramp, float delta);
    // The ring picture at (x, y) turned by ringAngle, and about its centre (x + 96, y + 96) the eight
    // icons and their count glyph pairs, each out at its angle and kept upright.
    static void DrawWheel(float x, float y, float ringAngle, TSprite& ring, const TLinearRamp* angles,
                          TSprite* icons, TSprite* counts);

    bool IsClosed() const { return m_state == &TItemRing::StateClosed; }

private:
    friend struct THudProbe;

    using State = bool (TItemRing::*)(TPlayerCharacter*);
    bool StateClosed(TPlayerCharacter* player);
    bool StateOpen(TPlayerCharacter* player);
    bool StateClosing(TPlayerCharacter* player);
    void UseSelected(TPlayerCharacter* player);

    State m_state;
    std::int32_t m_selected = 0;
    TLinearRamp m_slide;
    TLinearRamp m_ringTurn;
    TLinearRamp m_slotAngles[kSlots];
    TSprite m_ring;
    TSprite m_cursor;
    TSprite m_icons[kSlots];
    TSprite m_counts[kSlots * 2];
    TSoundList m_sounds;
    TLetterFont* m_font;
};
