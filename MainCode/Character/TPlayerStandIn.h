// Stand-in for the player character until the player itself is built: made by CreatePlayerCharacter
// for the character and weapon-type pairs that have a class, it loads the model the pair names
// ("char04/" + model + ".tob"), walks on the ground by the direction buttons relative to the camera
// (state 0 standing, 1 the first walking step, 2 walking) and keeps the calls the field makes on
// the real player. Everything the player does beyond that comes with the player.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Character/TGameObject.h"
#include "TCommon/TRefPtr.h"

class TFieldLoop;
class TInputDevice;

// What survives a change of the played character.
struct TPlayerPose {
    D3DXMATRIX matrix;
    float motionTime = 0.0F;
    std::uint32_t state = 0;
    float gravity = 0.0F;
    D3DXVECTOR3 velocity;
    float groundHeight = 0.0F;
    D3DXVECTOR3 groundNormal;
};

class TPlayerCharacter : public TGameObject {
public:
    static constexpr std::uint16_t kButtonUp = 0x01;
    static constexpr std::uint16_t kButtonDown = 0x02;
    static constexpr std::uint16_t kButtonLeft = 0x04;
    static constexpr std::uint16_t kButtonRight = 0x08;
    static constexpr std::uint16_t kButtonMenu = 0x100;
    static constexpr float kWalkSpeed = 0.2F;
    static constexpr float kGravity = -0.03F;

    TPlayerCharacter(TFieldLoop* field, std::uint32_t characterIndex, const std::string& model);

    bool Update() override;
    bool IsAirborneState() override { return false; }
    bool UpdateInTown() { return Update(); }
    bool IsMenuButtonPressed() const;
    void SnapToShadow() {}
    void DrawHud();
    void LoadWeaponModel() { m_townLook = false; }
    void LoadTownModel() { m_townLook = true; }
    // Facing the direction (y dropped), the ground normal up, the shadow under it.
    void PlaceAt(const D3DXVECTOR3& position, const D3DXVECTOR3& direction);
    void GetPose(TPlayerPose* out) const;
    void SetPose(const TPlayerPose& pose);
    std::uint32_t GetWeaponId() const;
    void SetLookVariant(std::uint32_t variant) { m_lookVariant = variant; }
    std::uint32_t GetLookVariant() const { return m_lookVariant; }

    std::uint32_t GetCharacterIndex() const { return m_characterIndex; }
    const std::string& GetModel() const { return m_model; }
    bool HasTownLook() const { return m_townLook; }
    float GetMotionTime() const { return m_motionTime; }
    int GetHudDraws() const { return m_hudDraws; }

private:
    TFieldLoop* m_field;
    TInputDevice* m_input;
    std::uint32_t m_characterIndex;
    std::string m_model;
    bool m_townLook = false;
    float m_motionTime = 0.0F;
    int m_hudDraws = 0;
    std::uint32_t m_lookVariant = 0;
};

// The model a character and weapon-type pair plays with; empty when the pair has no class.
std::string PlayerModelFor(std::uint32_t characterIndex, std::int32_t weaponType);
// The played character of that party index with the weapon of its party record; an empty holder
// when the pair has no class.
TRefPtr<TPlayerCharacter> CreatePlayerCharacter(TFieldLoop* field, std::uint32_t characterIndex);
