// The area factory: reads a map's data, makes the player character and builds the area the map's
// kind asks for (0 town, 1 battle). Made on the stack for one build.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Map/TFieldLoop.h"
#include "platform/d3dx8/d3dx8math.h"

class TMapData;
struct TSvpRecord;

class TCurrentMap {
public:
    TCurrentMap() = default;
    TCurrentMap(const TCurrentMap&) = delete;
    TCurrentMap& operator=(const TCurrentMap&) = delete;
    virtual ~TCurrentMap() = default;

    // Each throws my_error naming the map when its kind or camera cannot make an area, and naming
    // the character and weapon type when they have no player class; nothing is built then.
    virtual TAreaHolder BuildFromMapData(TMapData& mapData, TFieldLoop* field);
    virtual TAreaHolder BuildAtPosition(const std::string& mapName, TFieldLoop* field, const D3DXVECTOR3& position,
                                        const D3DXVECTOR3& direction, const D3DXVECTOR3& cameraPosition);
    // Nothing carries over from the previous character at a save point.
    virtual TAreaHolder BuildAtSavePoint(TFieldLoop* field, const TSvpRecord& savePoint);

    // The checks every build makes before it creates anything.
    static void CheckMap(const TMapData& mapData);
};
