// A field area for effect tests: the "Scene" root, a camera frame under it, an effect manager of
// its own, and objects that effects find by id. Characters built here record the sounds they are
// asked to play. The effect folder itself comes from effect_assets.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/Character/TGameObject.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAreaBase.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"

namespace qmtest {

// Folder of the character bodies below the mesh folder.
constexpr const char* kEffectCharacterFolder = "char04/";

// What a game object loads, below root and the current mesh folder: the shared shadow and the body
// "<kEffectCharacterFolder><name>.tob". Sets the object data folder to kEffectCharacterFolder.
void WriteEffectCharacterFiles(const std::filesystem::path& root, const std::string& name);

// What the area lends before it exists: the scene root, the manager and the camera frame.
struct EffectAreaParts {
    EffectAreaParts();
    TRefPtr<TFrame> scene;
    std::unique_ptr<TEffectManager> manager;
    TRefPtr<TFrame> camera;
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
    // "Camera" under the scene, 5 back and 2 up, looking along +z.
    TFrame* CameraFrame() const { return camera.Get(); }

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

}  // namespace qmtest
