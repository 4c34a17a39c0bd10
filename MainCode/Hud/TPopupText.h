// The base of the letter pop-ups (hit counter, gains, level-up banner): started at a screen
// position, stepped and drawn by the player while active, stopped by its own animation.
#pragma once

class TLetterFont;

class TPopupText {
public:
    explicit TPopupText(TLetterFont* font) : m_font(font) {}
    virtual ~TPopupText() = default;
    TPopupText(const TPopupText&) = delete;
    TPopupText& operator=(const TPopupText&) = delete;

    virtual void Start(float x, float y);
    // Every pop-up also rewinds its animation.
    virtual void Stop() { m_active = false; }
    bool IsActive() const { return m_active; }
    virtual void Update() = 0;
    // The caller selects the 2D render mode.
    virtual void Draw() = 0;

protected:
    friend struct THudProbe;

    bool m_active = false;
    TLetterFont* m_font;
    float m_x = 0.0F;
    float m_y = 0.0F;
};
