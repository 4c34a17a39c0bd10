// A field area for effect tests: the "Scene" root, a camera under it, an effect manager of its
// own, and objects that effects find by id. Characters built here record the sounds they are asked
// to play and the attack hits they make. The effect folder itself comes from effect_assets.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Character/TGameObject.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TView.h"

namespace qmtest {

// Folder of the character bodies below the mesh folder.
constexpr const char* kEffectCharacterFolder = "char04/";

// What a character named name loads, below root: the shared shadow and the body
// "<kEffectCharacterFolder><name>.tob" in the mesh folder, a pattern file of one empty frame and a
// weapon file of one key in their folders. Sets the object data folder to kEffectCharacterFolder.
void WriteEffectCharacterFiles(const std::filesystem::path& root, const std::string& name);

// What the area lends before it exists: the scene root, the manager and the view.
struct EffectAreaParts {
    EffectAreaParts();
    TRefPtr<TFrame> scene;
    std::unique_ptr<TEffectManager> manager;
    TView view;
};

class EffectTestArea : private EffectAreaParts, public TAreaBase {
public:
    EffectTestArea();
    ~EffectTestArea() override;

    // One game frame: the manager's update.
    bool Update() override;
    void Draw() override {}
    void PreparePlayer() override {}

    TEffectManager& Manager() { return *manager; }
    TFrame* Scene() const { return scene.Get(); }
    // The camera's frame under the scene: 5 back and 2 up, looking at (0, 0.5, 0).
    TFrame* CameraFrame() const { return m_camera->GetFrame(); }
    // The view through the camera (640 × 480, 45 degrees).
    TView* View() { return &view; }

    // Registers the object for FindObject and hangs its frame under the scene.
    void Add(TGameObject* object);
    // The object can no longer be found; its frame stays where it hangs.
    void Remove(TGameObject* object);
};

// A plain game object (no armed character) that logs PlaySound.
class SoundObject : public TGameObject {
public:
    explicit SoundObject(const std::string& name = "target");
    bool Update() override { return true; }
    bool IsAirborneState() override { return false; }
    void PlaySound(std::uint32_t id) override { sounds.push_back(id); }
    void Place(float x, float y, float z) { SetPosition(D3DXVECTOR3(x, y, z)); }

    std::vector<std::uint32_t> sounds;
};

// An attack hit a character made: the attack code and where the hit hangs.
struct AttackHitCall {
    std::uint32_t code = 0;
    TFrame* parent = nullptr;
    D3DXVECTOR3 position{0.0F, 0.0F, 0.0F};  // in the parent's space
};

// An armed character that is held while told so, and logs its sounds and attack hits. Hits made
// without overrides hang on its own frame at the record's offset.
class EffectTestCharacter : public TArmedCharacter {
public:
    explicit EffectTestCharacter(const std::string& name = "owner");
    bool Update() override { return true; }
    bool IsAirborneState() override { return false; }
    void OnHitDelivered(TArmedCharacter* /*victim*/, std::int32_t /*value*/, std::int32_t /*damage*/,
                        std::uint8_t /*flag*/) override
    {
    }
    bool IsSpecialActionState() override { return false; }
    bool IsHeld() override { return held; }
    void GetAttackParams(const TAttackRecord& record, TAttackPlacement& out) override;
    void PlaySound(std::uint32_t id) override { sounds.push_back(id); }
    std::uint32_t ReactLight(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                             std::int32_t) override
    {
        return 0;
    }
    std::uint32_t ReactLight2(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                              std::int32_t) override
    {
        return 0;
    }
    std::uint32_t ReactLaunch(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                              float, std::int32_t) override
    {
        return 0;
    }
    std::uint32_t ReactStun(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, std::uint8_t,
                            float, float, std::int32_t) override
    {
        return 0;
    }
    std::uint32_t ReactHeavy(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                             std::int32_t) override
    {
        return 0;
    }
    void Place(float x, float y, float z) { SetPosition(D3DXVECTOR3(x, y, z)); }

    // Every hit in the character's list, oldest first. The code is the id of the attack record
    // the hit was made from, so the table must hold the codes the test uses.
    std::vector<AttackHitCall> AttackHits() const;

    bool held = false;
    std::vector<std::uint32_t> sounds;

private:
    std::vector<std::uint32_t> m_recordIds;
};

}  // namespace qmtest
