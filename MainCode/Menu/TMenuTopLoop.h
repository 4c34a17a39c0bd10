// The pause menu the field opens with "E": the field picture stays behind, darkened, the field music
// goes down, and eight item windows slide in one after another. "A" slides them out and opens the
// chosen sub-screen over the menu (the windows come back when it ends); "B" or "E" slides them out,
// brings the music back up, refreshes the field's HUD and ends the menu. Its sub-screens share its
// background, its dim, its sounds and its field.
#pragma once

#include <cstdint>

#include "MainCode/Menu/TMenuSceneLoop.h"
#include "MainCode/Menu/TMenuWindowColumn.h"
#include "TCommon/TRefPtr.h"

class TFieldLoop;
class TSoundFader;

class TMenuTopLoop : public TMenuSceneLoop {
public:
    static constexpr std::int32_t kItems = 8;
    // The items that open the item ring screen, the equipment screen, the skill window, the status
    // window, the character change, the options, the save and load, and the leave-the-game choice.
    static constexpr std::int32_t kRingItem = 0;
    static constexpr std::int32_t kEquipItem = 1;
    static constexpr std::int32_t kSkillItem = 2;
    static constexpr std::int32_t kStatusItem = 3;
    static constexpr std::int32_t kChangeItem = 4;
    static constexpr std::int32_t kOptionItem = 5;
    static constexpr std::int32_t kSaveItem = 6;
    static constexpr std::int32_t kLeaveItem = 7;

    TMenuTopLoop(TGameWnd* app, TFieldLoop* field);
    ~TMenuTopLoop() override;

    TFieldLoop* GetField() const { return m_field; }
    // The field drawn again as the background (the player may have changed under a sub-screen).
    void Recapture();

private:
    friend struct TMenuProbe;

    std::uint32_t FadeIn();
    std::uint32_t OpenItems();
    std::uint32_t Select();
    std::uint32_t CloseItems();
    std::uint32_t FadeOut();
    void UpdateHighlight(bool snap);
    // The music of the field's area faded towards level (down or back up) over 40 steps.
    void MakeFader(bool fadeIn, float level);
    void OpenSubScreen();
    void DrawWindows() override;

    std::int32_t m_cursor = 0;
    TMenuWindowColumn m_items;
    bool m_openSubScreen = false;
    std::int32_t m_musicId = -1;
    TRefPtr<TSoundFader> m_fader;
    TFieldLoop* m_field;
};
