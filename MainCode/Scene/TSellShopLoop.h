// Stand-in for the sell shop.
#pragma once

#include "MainCode/Scene/TRecordingLoop.h"

class TSellShopLoop : public TRecordingLoop {
public:
    explicit TSellShopLoop(TGameWnd* app) : TRecordingLoop(app) {}
};
