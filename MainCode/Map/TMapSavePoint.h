// The save point: a glowing mark on the map. Standing on it asks the player to save there (once
// per visit, with an effect); stepping off withdraws the request.
#pragma once

#include <cstdint>

#include "MainCode/Map/TMapObject.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"

class TMapSavePoint : public TMapObject {
    friend struct TMapProbe;
public:
    static constexpr float kRadius = 1.0F;
    static constexpr std::uint32_t kEffect = 902;
    static constexpr std::uint16_t kMaterial = 4000;

    TMapSavePoint(TAreaBase* area, std::int32_t savePointId, const D3DXVECTOR3& position);
    ~TMapSavePoint() override;
    std::uint32_t Update() override;


private:
    std::int32_t m_savePointId;
    D3DXVECTOR3 m_position;
    TRefPtr<TFrame> m_frame;
};
