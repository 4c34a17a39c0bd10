// Stand-in for the weapon trail until the effects bring it: it keeps the frame it follows, the ramp
// it was given and counts its updates; it draws nothing.
#pragma once

class TFrame;

class TAfterImage {
public:
    void Update() { ++m_updates; }
    void SetRamp(float r, float g, float b, float a, float value)
    {
        m_ramp[0] = r;
        m_ramp[1] = g;
        m_ramp[2] = b;
        m_ramp[3] = a;
        m_value = value;
    }
    void Attach(TFrame* frame) { m_frame = frame; }
    void Detach() { m_frame = nullptr; }
    TFrame* GetAttached() const { return m_frame; }
    int GetUpdateCount() const { return m_updates; }
    float GetValue() const { return m_value; }

private:
    TFrame* m_frame = nullptr;
    float m_ramp[4] = {};
    float m_value = 0.0F;
    int m_updates = 0;
};
