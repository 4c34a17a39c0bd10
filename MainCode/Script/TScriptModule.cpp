#include "MainCode/Script/TScriptModule.h"

#include "MainCode/Script/TScriptProcessManager.h"

void SetScriptWait(std::uint8_t value)
{
    if (TScriptProcessManager* manager = TScriptProcessManager::Get()) {
        manager->SetModuleWait(value);
    }
}

void SetScriptCancel(std::uint8_t value)
{
    if (TScriptProcessManager* manager = TScriptProcessManager::Get()) {
        manager->SetCancel(value);
    }
}
