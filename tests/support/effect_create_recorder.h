// The effect managers' creations as tests read them: every Create call of one manager written down
// in order, pointers copied as values.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/Effect/TEffectCreateObserver.h"
#include "platform/d3dx8/d3dx8math.h"

// One call of TEffectManager::Create.
struct TEffectCreateCall {
    std::uint32_t id = 0;
    bool hasPosition = false;
    D3DXVECTOR3 position;
    bool hasDirection = false;
    D3DXVECTOR3 direction;
    TFrame* parent = nullptr;
    TAreaBase* area = nullptr;
    bool hasColour = false;
    float colour[4] = {0.0F, 0.0F, 0.0F, 0.0F};
    bool hasScale = false;
    float scale[3] = {0.0F, 0.0F, 0.0F};
    std::int32_t serial = -1;
    TEffect* result = nullptr;  // null when the id gave no prototype
};

namespace qmtest {

// Installed from Start to Stop (or its end); one recorder at a time.
class EffectCreateRecorder : public TEffectCreateObserver {
public:
    EffectCreateRecorder() = default;
    // Started at once.
    EffectCreateRecorder(const TEffectManager* manager, std::vector<TEffectCreateCall>* out) { Start(manager, out); }
    ~EffectCreateRecorder() override { Stop(); }
    EffectCreateRecorder(const EffectCreateRecorder&) = delete;
    EffectCreateRecorder& operator=(const EffectCreateRecorder&) = delete;

    // Every later Create of that manager is appended to out (other managers' are not).
    void Start(const TEffectManager* manager, std::vector<TEffectCreateCall>* out);
    void Stop();

    void OnCreate(const TEffectManager& manager, std::uint32_t id, const D3DXVECTOR3* position,
                  const D3DXVECTOR3* direction, TFrame* parent, TAreaBase* area, const float* colour,
                  const float* scale, std::int32_t serial, TEffect* result) override;

private:
    const TEffectManager* manager_ = nullptr;
    std::vector<TEffectCreateCall>* out_ = nullptr;
    bool installed_ = false;
};

}  // namespace qmtest
