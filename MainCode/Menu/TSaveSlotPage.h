// The page of save slots that the save screens share: a hundred slots shown five at a time on
// twenty pages, with the title and page windows, the highlight of the cursor row, the page turn,
// and in save mode the overwrite question, the write with its slide out and in and the line of a
// failed write. The screen that owns it hands it the buttons of each step, plays its sounds and
// acts on a chosen row and on the closed page.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "MainCode/Menu/TMenuSceneLoop.h"
#include "TCommon/TLinearRamp.h"
#include "dx/dx8/3d/TSprite.h"

class TText8;

// The highlight of one row of the save screens: the window's alpha eases 1.0 <-> 0.5 and the
// text's grey 1.0 <-> 0.3 over 10 steps, full on the cursor row.
struct TRowHighlight {
    TLinearRamp alpha;
    TLinearRamp grey;

    // Straight at full (lit) or dimmed.
    void Reset(bool lit);
    // One step toward full (lit) or toward dimmed.
    void Step(bool lit);
    // White with the alpha over the window, opaque grey over the text.
    void Apply(TSprite& window, TSprite& text) const;
};

class TSaveSlotPage {
public:
    static constexpr std::int32_t kRows = 5;
    static constexpr std::int32_t kPages = 20;

    // What Step reads: these newly pressed, and the moves also repeating.
    static constexpr std::uint16_t kMoves = kButtonUp | kButtonDown | kButtonLeft | kButtonRight;
    static constexpr std::uint16_t kButtons = kMoves | kButtonDecide | kButtonCancel;

    enum class Kind { Load, Save };
    enum class Result {
        Busy,    // still on the page
        Chosen,  // "A" on a row that may be loaded (load kind): the owner takes GetSlot()
        Closed,  // the page has slid away after "B"
    };

    // Sounds go through the owner's PlaySe.
    explicit TSaveSlotPage(TMenuSceneLoop* sounds);
    ~TSaveSlotPage();
    TSaveSlotPage(const TSaveSlotPage&) = delete;
    TSaveSlotPage& operator=(const TSaveSlotPage&) = delete;

    // The kind of selection and the chapter whose folder is listed (-1: the own one). The lines
    // are drawn by RefreshPage.
    void SetKind(Kind kind, std::int32_t chapter);
    // The title window's word ("ロード", "セーブ", "引継ぎ").
    void SetTitle(const std::string& title);
    // Called just before a confirmed write (the pause menu stores the save point there).
    void SetBeforeSave(std::function<void()> hook) { m_beforeSave = std::move(hook); }

    // The windows slide in from their starting places and the selection follows.
    void Open();
    // "PAGE : nn / 20" and the five slot lines of the page with their result codes.
    void RefreshPage();
    // One step with the buttons newly pressed and those repeating.
    Result Step(std::uint16_t pressed, std::uint16_t moves);
    // Rows, title and page windows, their texts in text mode, and the question while it is up.
    void Draw();

    std::int32_t GetSlot() const { return m_page * kRows + m_cursor; }
    bool InConfirmation() const;
    // Windows of a column slide one after another: row r + 1 follows row r once it has reached
    // step 6 (in) or fallen below step 5 (back); true when the last row has arrived.
    static bool CascadeIn(std::span<TIntRamp> ramps);
    static bool CascadeOut(std::span<TIntRamp> ramps);


private:
    friend struct TMenuProbe;

    using State = Result (TSaveSlotPage::*)(std::uint16_t pressed, std::uint16_t moves);

    Result StateOpen(std::uint16_t pressed, std::uint16_t moves);
    Result StateSelect(std::uint16_t pressed, std::uint16_t moves);
    Result StatePageOut(std::uint16_t pressed, std::uint16_t moves);
    Result StatePageIn(std::uint16_t pressed, std::uint16_t moves);
    Result StateConfirmFadeIn(std::uint16_t pressed, std::uint16_t moves);
    Result StateConfirmOpen(std::uint16_t pressed, std::uint16_t moves);
    Result StateConfirm(std::uint16_t pressed, std::uint16_t moves);
    Result StateConfirmClose(std::uint16_t pressed, std::uint16_t moves);
    Result StateConfirmFadeOut(std::uint16_t pressed, std::uint16_t moves);
    Result StateWrite(std::uint16_t pressed, std::uint16_t moves);
    Result StateSlotIn(std::uint16_t pressed, std::uint16_t moves);
    Result StateClose(std::uint16_t pressed, std::uint16_t moves);

    void Highlight();
    void SetDim2(float value);
    void Play(std::uint32_t id);

    TMenuSceneLoop* m_sounds;
    std::function<void()> m_beforeSave;
    State m_state = nullptr;
    Kind m_kind = Kind::Load;
    std::int32_t m_chapter = -1;

    std::array<std::int32_t, kRows> m_codes{};
    std::int32_t m_lastSave = 0;
    std::int32_t m_cursor = 0;
    std::int32_t m_page = 0;
    // Where the rows come back from after the page-out: 1152 after "RIGHT", -512 after "LEFT".
    std::int32_t m_pageInFrom = 1152;

    std::array<TIntRamp, kRows> m_rowY{};
    std::array<TIntRamp, kRows> m_rowX{};
    TIntRamp m_titleX;
    TIntRamp m_pageX;
    std::array<TRowHighlight, kRows> m_rowLight{};

    TSprite m_titleWindow;
    std::unique_ptr<TText8> m_titleText;
    TSprite m_pageWindow;
    std::unique_ptr<TText8> m_pageText;
    std::array<TSprite, kRows> m_rowWindows;
    std::array<std::unique_ptr<TText8>, kRows> m_rowTexts;

    std::int32_t m_choice = 0;  // 0 yes, 1 no
    TSprite m_questions[2];     // a save of this chapter, of another
    TSprite m_question;
    TSprite m_choiceBox;
    TSprite m_cursorSprite;
    TRepeatIntRamp m_bob;
    TIntRamp m_questionX;
    TIntRamp m_questionY;
    TIntRamp m_boxX;
    TIntRamp m_boxY;
    TLinearRamp m_dim2;
    TSprite m_dim2Overlay;
};
