// Vertex shader objects. For now registration only keeps the objects for the whole run.
#pragma once

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
    static std::size_t GetRegisteredCount() { return Registry().size(); }

private:
    static std::vector<std::unique_ptr<TVertexShader>>& Registry()
    {
        static std::vector<std::unique_ptr<TVertexShader>> shaders;
        return shaders;
    }
};
