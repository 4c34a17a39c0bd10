// The effect folder, a test area with its manager, and the creation log of that manager.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "dx/dx8/3d/TDrawList.h"
#include "effect_fixture.h"
#include "support/effect_create_recorder.h"
#include "support/golden.h"
#include "support/effect_test_area.h"
#include "platform/testing/d3d8.h"

namespace effecttest {

class EffectAreaTest : public EffectFolder {
protected:
    void SetUp() override
    {
        EffectFolder::SetUp();
        qmtest::WriteEffectCharacterFiles(dir_.Path(), "owner");
        qmtest::WriteEffectCharacterFiles(dir_.Path(), "target");
        area_ = std::make_unique<qmtest::EffectTestArea>();
        creates_.Start(&area_->Manager(), &log_);
    }
    void TearDown() override
    {
        area_.reset();
        TGameObject::SetDataFolder("");
        EffectFolder::TearDown();
    }

    TEffectManager& Manager() { return area_->Manager(); }
    void Add(std::uint32_t id, TEffect* prototype) { Manager().AddPrototype(id, TRefPtr<TEffect>(prototype)); }
    // Creates under the scene, in the area.
    TEffect* Create(std::uint32_t id, const D3DXVECTOR3& at, const D3DXVECTOR3& heading, const float colour[4])
    {
        const float unit[3] = {1.0F, 1.0F, 1.0F};
        return Manager().Create(id, &at, &heading, area_->Scene(), area_.get(), colour, unit);
    }
    // Whether the manager's prototype of the id is of class T.
    template <class T>
    bool Is(std::uint32_t id)
    {
        TRefPtr<TEffect> clone = Manager().FindPrototype(id);
        return dynamic_cast<T*>(clone.Get()) != nullptr;
    }
    // Log entries of one id.
    std::vector<TEffectCreateCall> CallsOf(std::uint32_t id) const
    {
        std::vector<TEffectCreateCall> calls;
        for (const TEffectCreateCall& c : log_) {
            if (c.id == id) {
                calls.push_back(c);
            }
        }
        return calls;
    }
    // The scene drawn through the area's camera on the dark clear colour, and then what overlay
    // draws over it, compared with the golden.
    ::testing::AssertionResult Shoot(const std::string& golden, const std::function<void()>& overlay = nullptr)
    {
        if (!d3d()->CheckLostDevice()) {
            return ::testing::AssertionFailure() << "device lost";
        }
        d3d()->Clear(0xFF102030, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
        d3d()->BeginScene();
        area_->Scene()->Render(area_->View(), &kIdentity);
        TDrawList::FlushAll();
        if (overlay) {
            overlay();
        }
        d3d()->EndScene();
        platform::RgbaImage image;
        if (!platform::ReadBackBuffer(device(), &image)) {
            return ::testing::AssertionFailure() << "no read-back";
        }
        return qmtest::MatchesGolden(image, golden);
    }
    // A placed object the area finds by its id.
    std::unique_ptr<qmtest::SoundObject> NewObject(const std::string& name, float x, float y, float z)
    {
        auto object = std::make_unique<qmtest::SoundObject>(name);
        object->Place(x, y, z);
        area_->Add(object.get());
        return object;
    }

    std::unique_ptr<qmtest::EffectTestArea> area_;
    std::vector<TEffectCreateCall> log_;
    qmtest::EffectCreateRecorder creates_;
};

}  // namespace effecttest
