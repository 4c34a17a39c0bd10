// The field minimap: a window in the lower right with the map's picture scrolled around the player
// and a cursor turned the way the player faces. One picture covers x and z from -256 to +256; the
// 204 × 140 units around the player show at one virtual pixel a unit.
#pragma once

#include <string>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"

class TMeshHandle;

class TMinimap {
    friend struct TMapProbe;
public:
    static TRefPtr<TMinimap> Create();

    // No picture until Load.
    TMinimap();
    virtual ~TMinimap();
    TMinimap(const TMinimap&) = delete;
    TMinimap& operator=(const TMinimap&) = delete;

    // An empty name: no picture.
    void Load(const std::string& name);
    void Update(const TMeshHandle& player);
    // Nothing while the player has switched the minimap off.
    void Draw(int x, int y);


private:
    TSprite m_picture;
    TSprite m_window;
    TSprite m_cursor;
    float m_heading = 0.0F;
};
