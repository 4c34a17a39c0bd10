#include "support/effect_create_recorder.h"

#include <algorithm>

namespace qmtest {

void EffectCreateRecorder::Start(const TEffectManager* manager, std::vector<TEffectCreateCall>* out)
{
    manager_ = manager;
    out_ = out;
    installed_ = true;
    SetEffectCreateObserver(this);
}

void EffectCreateRecorder::Stop()
{
    if (installed_) {
        SetEffectCreateObserver(nullptr);
        installed_ = false;
    }
    manager_ = nullptr;
    out_ = nullptr;
}

void EffectCreateRecorder::OnCreate(const TEffectManager& manager, std::uint32_t id, const D3DXVECTOR3* position,
                                    const D3DXVECTOR3* direction, TFrame* parent, TAreaBase* area,
                                    const float* colour, const float* scale, std::int32_t serial, TEffect* result)
{
    if (&manager != manager_ || out_ == nullptr) {
        return;
    }
    TEffectCreateCall call;
    call.id = id;
    call.hasPosition = position != nullptr;
    if (position != nullptr) {
        call.position = *position;
    }
    call.hasDirection = direction != nullptr;
    if (direction != nullptr) {
        call.direction = *direction;
    }
    call.parent = parent;
    call.area = area;
    call.hasColour = colour != nullptr;
    if (colour != nullptr) {
        std::copy(colour, colour + 4, call.colour);
    }
    call.hasScale = scale != nullptr;
    if (scale != nullptr) {
        std::copy(scale, scale + 3, call.scale);
    }
    call.serial = serial;
    call.result = result;
    out_->push_back(call);
}

}  // namespace qmtest
