#pragma once

// The script process manager singleton. Until the script engine exists there is never an instance,
// so Destroy has nothing to delete.
class TScriptProcessManager {
public:
    virtual ~TScriptProcessManager() = default;
    static TScriptProcessManager* GetInstance() { return s_instance; }
    static void Destroy()
    {
        delete s_instance;
        s_instance = nullptr;
    }

private:
    static inline TScriptProcessManager* s_instance = nullptr;
};
