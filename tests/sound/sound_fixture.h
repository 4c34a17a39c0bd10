// A started sound core with a fresh sound-effect folder, and the mixer pulled by hand.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dx/dx8/sound/TDSound8.h"
#include "platform/testing/dsound.h"
#include "platform/testing/win32.h"
#include "formats/pse_writer.h"
#include "support/temp_dir.h"

namespace soundtest {

class SoundCoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetManualMixing(true);
        platform::SetDirectSoundFaults({});
        window_ = platform::CreateBareWindow("sound", 32, 32);
        ASSERT_NE(window_, nullptr);
        core_ = TDSound8::Instance();
        ASSERT_NE(core_, nullptr);
        core_->SetSeFolder(dir_.Path().string() + "/");
        core_->SetMusicFolder(dir_.Path().string() + "/");
        ASSERT_TRUE(core_->Init(window_));
    }

    void TearDown() override
    {
        core_->Uninit();
        platform::SetDirectSoundFaults({});
        platform::DestroyBareWindow(window_);
        platform::SetManualMixing(false);
    }

    std::vector<std::int16_t> Pull(std::size_t frames)
    {
        std::vector<std::int16_t> out(frames * 2);
        platform::MixFrames(out.data(), frames);
        return out;
    }

    qmtest::TempDir dir_;
    HWND window_ = nullptr;
    TDSound8* core_ = nullptr;
};

}  // namespace soundtest
