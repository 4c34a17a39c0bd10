// Stand-in for the inn: keeps the field it was opened from.
#pragma once

#include "MainCode/Scene/TRecordingLoop.h"

class TFieldLoop;

class TInnLoop : public TRecordingLoop {
public:
    TInnLoop(TGameWnd* app, TFieldLoop* field) : TRecordingLoop(app), m_field(field) {}
    TFieldLoop* GetField() const { return m_field; }

private:
    TFieldLoop* m_field;
};
