// The base of every character in the field: its body from the object file "<folder><name>.tob", a
// shadow kept on the ground, a state number, gravity and velocity, and the contact result the
// collision world hands back every step. Attaching hangs it under the area's scene frame and
// registers it with the area's collision world.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Map/TMeshHandle.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"
#include "platform/d3dx8/d3dx8math.h"

class TAreaBase;
class TCamera;
class TCollisionWorld;
class TEffectManager;

class TGameObject : public TMeshHandle {
    friend struct TCharacterProbe;
public:
    // Loads the shadow and the body; a missing or bad file throws my_error naming it.
    TGameObject(std::uint32_t relatedId, float centerHeight, float shadowSize, std::uint8_t shadowVisible,
                std::uint8_t pushable, float gravity, const std::string& name);
    // A new body from the same object file, a copy of the shadow, no contact and no area.
    TGameObject(const TGameObject& other);
    TGameObject& operator=(const TGameObject&) = delete;

    // Virtual operations in their fixed order.
    bool Update() override = 0;
    ~TGameObject() override;
    // True while the current state ignores ground contact (a rising jump).
    virtual bool IsAirborneState() = 0;
    virtual void AttachToField(TAreaBase* area);
    virtual void DetachFromField();
    virtual void OnContact();
    // Stops a rise (returns 0); while falling changes nothing and returns 256.
    virtual std::uint32_t OnCeilingContact();
    virtual void OnLanding();
    // Gravity, the vertical speed limit, then the move.
    virtual void ApplyVelocity();
    virtual void UpdateShadow();
    virtual void PlaySound(std::uint32_t id);
    virtual void PlayVoice(std::uint32_t id);
    virtual std::uint32_t SetState(std::uint32_t state);

    static void SetDataFolder(const std::string& folder) { s_folder = folder; }
    static const std::string& GetDataFolder() { return s_folder; }

    void SetShadowVisible(std::uint8_t on);
    void SetVerticalSpeed(float speed) { m_velocity.y = speed; }
    // From the collision world once a step, after it moved the object. floorBelow is stored only,
    // wall calls OnContact, onGround lands (unless airborne), ceiling calls OnCeilingContact.
    void SetContact(float groundHeight, std::uint8_t floorBelow, std::uint8_t wall, std::uint8_t onGround,
                    std::uint8_t ceiling, const float* normal);
    void GetContact(float* groundHeight, std::uint8_t* floorBelow, std::uint8_t* wall, std::uint8_t* onGround,
                    std::uint8_t* ceiling, float* normal) const;
    // The world position raised by the centre height.
    D3DXVECTOR3* GetCenterPosition(D3DXVECTOR3* out) const;

    std::uint32_t GetState() const { return m_state; }
    float GetCenterHeight() const { return m_centerHeight; }
    std::uint8_t IsPushable() const { return m_pushable; }
    std::uint32_t GetGroundKind() const { return m_groundKind; }
    void SetGroundKind(std::uint32_t kind) { m_groundKind = kind; }
    std::uint32_t GetNearbyCount() const { return m_nearbyCount; }
    void SetNearbyCount(std::uint32_t count) { m_nearbyCount = count; }
    TMesh8* GetBodyMesh() const { return m_bodyMesh; }

protected:
    std::uint32_t m_state = 0;
    std::uint8_t m_shadowVisible;
    float m_shadowSize;
    TRefPtr<TFrame> m_shadowFrame;
    float m_centerHeight;
    float m_maxVerticalSpeed;
    float m_groundHeight;
    std::uint8_t m_floorBelow = 0;
    std::uint8_t m_wall = 0;
    std::uint8_t m_onGround = 0;
    std::uint8_t m_ceiling = 0;
    D3DXVECTOR3 m_groundNormal;
    std::uint8_t m_pushable;
    float m_defaultGravity;
    float m_gravity;
    D3DXVECTOR3 m_velocity;
    std::uint32_t m_groundKind = 0;
    std::int32_t m_voiceTimer = 0;
    std::uint32_t m_nearbyCount = 0;
    TMesh8* m_bodyMesh = nullptr;
    TCollisionWorld* m_collisionWorld = nullptr;
    TEffectManager* m_effectManager = nullptr;
    TCamera* m_camera = nullptr;
    TAreaBase* m_area = nullptr;

private:
    friend class TCollisionWorld;

    void LoadBody(const std::string& name);

    static inline std::string s_folder;

    // The world whose maps hold this object; kept by the world itself.
    TCollisionWorld* m_registeredIn = nullptr;
};
