// Module "Shop": opens the buy shop, the sell shop or the inn over the field; the calling script
// goes on once that scene has ended and the field runs again.
#pragma once

#include "MainCode/Script/TScriptModule.h"

class TGameWnd;
class TFieldLoop;

class TShopModule : public TScriptModule {
public:
    TShopModule(TGameWnd* app, TFieldLoop* field);

    std::uint32_t Call(std::uint32_t command, const std::deque<std::string>& args,
                       const std::deque<std::uint32_t>& kinds) override;
    void Update() override { (this->*m_state)(); }
    void Draw() override { DoNothing(); }

private:
    using State = void (TShopModule::*)();

    // The field is updated only while no pushed scene is above it: the first update comes in the
    // frame of the command, the second after the pushed scene has ended.
    void Arm() { m_state = &TShopModule::Resume; }
    void Resume();

    State m_state;
    TGameWnd* m_app;
    TFieldLoop* m_field;
};
