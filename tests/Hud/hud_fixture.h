// The HUD's parts on a device: the field's HUD pictures and icons in the texture folder, the
// letter font on them, and the driver's record of 2D draws.
#pragma once

#include <memory>
#include <vector>

#include "3d/fixtures.h"
#include "MainCode/Hud/TLetterFont.h"
#include "formats/hud_assets.h"
#include "support/hud_probe.h"
#include "support/scene_driver.h"

namespace hudtest {

class HudFixture : public qmtest::Graphics2D {
protected:
    void SetUp() override
    {
        Graphics2D::SetUp();
        StartDevice();
        qmtest::WriteHudAssets(dir_.Path() / "ptx");
        font_ = std::make_unique<TLetterFont>("sprite.ptx/word");
    }
    void TearDown() override
    {
        recorder_.RecordDraws(false);
        font_.reset();
        Graphics2D::TearDown();
    }
    // The draws that f makes.
    template <typename F>
    std::vector<TSpriteDrawRecord> DrawsOf(F f)
    {
        recorder_.RecordDraws(true);
        f();
        std::vector<TSpriteDrawRecord> draws = recorder_.draws;
        recorder_.RecordDraws(false);
        return draws;
    }

    std::unique_ptr<TLetterFont> font_;
    qmtest::SceneDriver recorder_{dir_.Path()};
};

}  // namespace hudtest
