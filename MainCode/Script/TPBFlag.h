// Module "Flag": the scripts' one way to read and change the saved game state (volumes, minimap,
// active character, save point, money, event and pick-up flags, inventory).
#pragma once

#include "MainCode/Script/TScriptModule.h"

class TGameWnd;

class TPBFlag : public TScriptModule {
public:
    explicit TPBFlag(TGameWnd* app);

    // 0 GetValue (into "$_"), 1 PutValue; both throw my_error for a keyword they do not know.
    std::uint32_t Call(std::uint32_t command, const std::deque<std::string>& args,
                       const std::deque<std::uint32_t>& kinds) override;
    void Update() override { DoNothing(); }
    void Draw() override { DoNothing(); }

    void GetValue(const std::deque<std::string>& args);
    void PutValue(const std::deque<std::string>& args);

private:
    TGameWnd* m_app;
};
