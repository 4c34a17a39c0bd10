// Vertex shader objects. For now registration only keeps the objects for the whole run, and the
// device hooks only note their calls.
#pragma once

#include "dx/dx8/3d/StandInHooks.h"

#include <memory>
#include <vector>

class TVertexShader {
public:
    virtual ~TVertexShader() = default;
    virtual void Create() {}

    static void Register(TVertexShader* shader)
    {
        shader->Create();
        Registry().emplace_back(shader);
    }
    // The programs built with the device, released with it, and dropped and remade around a reset.
    static void BuildShaders() { standin::NoteHook("TVertexShader::BuildShaders"); }
    static void UninitShaders() { standin::NoteHook("TVertexShader::UninitShaders"); }
    static void ReleaseAll() { standin::NoteHook("TVertexShader::ReleaseAll"); }
    static void CreateAll() { standin::NoteHook("TVertexShader::CreateAll"); }

    static std::size_t GetRegisteredCount() { return Registry().size(); }

private:
    static std::vector<std::unique_ptr<TVertexShader>>& Registry()
    {
        static std::vector<std::unique_ptr<TVertexShader>> shaders;
        return shaders;
    }
};
