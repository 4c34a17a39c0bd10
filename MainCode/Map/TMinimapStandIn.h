// Stand-in for the minimap until it is built: it keeps the name the map gives it and counts its
// updates and draws; it reads no file and draws nothing.
#pragma once

#include <string>

class TGameObject;

class TMinimap {
public:
    void Load(const std::string& name) { m_name = name; }
    void Update(TGameObject* player) { m_player = player; ++m_updates; }
    void Draw(float x, float y)
    {
        m_drawX = x;
        m_drawY = y;
        ++m_draws;
    }

    const std::string& GetName() const { return m_name; }
    int GetUpdateCount() const { return m_updates; }
    int GetDrawCount() const { return m_draws; }
    float GetDrawX() const { return m_drawX; }
    float GetDrawY() const { return m_drawY; }

private:
    std::string m_name;
    TGameObject* m_player = nullptr;
    int m_updates = 0;
    int m_draws = 0;
    float m_drawX = 0.0F;
    float m_drawY = 0.0F;
};
