// The status effects of the player as a group of small 3D icons floating over it, turning slowly
// about the vertical; the group re-spaces its circle whenever an icon joins or has left it.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/Hud/TStateIcon.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"

class TPlayerCharacter;

class TStatusIcon {
    friend struct THudProbe;
public:
    // Poison, sickness, confusion, fear, slow, silence, then the timed stat bonus.
    static constexpr std::int32_t kIcons = 7;
    static const char* const kMeshes[kIcons];

    // Loads the seven icon meshes.
    TStatusIcon();
    virtual ~TStatusIcon();
    TStatusIcon(const TStatusIcon&) = delete;
    TStatusIcon& operator=(const TStatusIcon&) = delete;

    // The group beside the character, on the parent of its frame (not inside its turning model).
    void Attach(TPlayerCharacter* character);
    void Detach();
    // Once per frame update of the player: turn and place the group, step the icons, take up the
    // statuses that began and let go of those that ended.
    void Update(TPlayerCharacter* character, TFrame* parent, TFrame* camera);

private:
    TRefPtr<TFrame> m_root;
    TRefPtr<TStateIcon> m_icons[kIcons];
    // Room for all seven, so the list never allocates in play.
    std::vector<TRefPtr<TStateIcon>> m_shown;
};
