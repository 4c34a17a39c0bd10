// The message window as a conversation runs it: a 640×480 device with the window's pictures, the
// sound core with its three sounds, the input device fed with key presses, and the script
// manager stepped once a frame as a scene steps it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "3d/fixtures.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TScript.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/TInputDevice.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TText8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "platform/testing/dsound.h"
#include "platform/testing/win32.h"
#include "platform/win32/keyboard.h"
#include "formats/pse_writer.h"
#include "formats/script_assembler.h"
#include "formats/table_writer.h"
#include "formats/wave_writer.h"
#include "support/dx_probe.h"
#include "support/script_probe.h"

namespace windowtest {

using qmtest::FramedPanel;

class MessageWindowTest : public qmtest::Graphics2D {
protected:
    static constexpr int kDecideKey = 'Z';
    static constexpr int kCancelKey = 'X';

    void SetUp() override
    {
        Graphics2D::SetUp();
        StartDevice();
        WritePackage("sprite.ptx", {FramedPanel("window06", 512, 128, {20, 30, 90}),
                                    FramedPanel("window16", 128, 32, {90, 30, 40}),
                                    FramedPanel("button00_a", 16, 16, {250, 220, 40}),
                                    FramedPanel("button00_b", 16, 16, {120, 100, 20}),
                                    FramedPanel("cursor02", 16, 16, {40, 220, 90})});
        StartSound();
        platform::ResetKeyboardState();
        input_ = std::make_unique<TInputDevice>(dir_.File("no.ini"), 10, TInputDevice::kDefaultKeys,
                                                TInputDevice::kDefaultPad);
        for (int i = 0; i < 6; ++i) {
            input_->PollInput();  // past the start-up polls
        }
        TScript::SetDirectory(dir_.Path().string() + "/");
        manager_ = TScriptProcessManager::Create();
        window_ = new TMessageWindow(input_.get());
        manager_->AddModule(window_);
    }
    void TearDown() override
    {
        TScriptProcessManager::Destroy();
        TScript::SetDirectory("");
        input_.reset();
        platform::ResetKeyboardState();
        core_->Uninit();
        platform::SetManualMixing(false);
        TGameData::SetTableDirectory("");
        TSprite::SetRenderMode(1);
        Graphics2D::TearDown();
    }
    // Sounds 601, 603 and 606 in bank 0, listed in the table folder's "subset/speak_se.tbl".
    void StartSound()
    {
        platform::SetManualMixing(true);
        core_ = TDSound8::Instance();
        ASSERT_NE(core_, nullptr);
        core_->SetSeFolder(dir_.Path().string() + "/");
        ASSERT_TRUE(core_->Init(window_handle()));
        std::vector<qmtest::PseWave> waves;
        for (const char* name : {"move", "decide", "cancel"}) {
            waves.push_back({name, qmtest::PcmFormat(2, 44100, 16),
                             qmtest::Pcm16Bytes(std::vector<std::int16_t>(2 * 4410, 500))});
        }
        qmtest::SaveBytes(dir_.File("se.pse"), qmtest::BuildPse(waves));
        qmtest::SaveBytes(dir_.File("se.tbl"), qmtest::BuildSoundTable({{601, "move"}, {603, "decide"}, {606, "cancel"}}));
        core_->CreateBank(dir_.File("se.tbl"), "se.pse/", 0, -10000, 0);
        std::filesystem::create_directories(dir_.Path() / "tables" / "subset");
        qmtest::SaveBytes(dir_.File("tables/subset/speak_se.tbl"), qmtest::BuildSoundList({601, 603, 606}));
        TGameData::SetTableDirectory(dir_.Path().string() + "/tables/");
    }
    HWND window_handle() const { return DeviceFixture::window_; }

    // The sounds started since the last call, as "601 603"; they are stopped again.
    std::string Played()
    {
        std::string out;
        TSoundBank* bank = core_->GetBank(0);
        for (std::uint32_t id : {601u, 603u, 606u}) {
            TRefPtr<TStreamSound> sound = bank->Get(id);
            if (sound.Get() != nullptr && TDxProbe::State(*sound) == TStreamSound::kPlaying) {
                out += (out.empty() ? "" : " ") + std::to_string(id);
                bank->Stop(id);
            }
        }
        return out;
    }

    // Writes and pushes the script "main" of "t.pbsc".
    void Start(const std::vector<std::string>& lines)
    {
        qmtest::ScriptFileWriter writer;
        writer.Script("main", lines);
        writer.Save(dir_.File("t.pbsc"));
        manager_->Push("t.pbsc/main");
    }
    // One frame of a scene: input sampled, scripts stepped, modules updated while they hold.
    std::uint32_t Frame()
    {
        input_->PollInput();
        const std::uint32_t result = manager_->Step();
        if (result == TScriptProcessManager::kHeld) {
            manager_->UpdateModules();
        }
        return result;
    }
    std::uint32_t Frames(int n)
    {
        std::uint32_t result = 0;
        for (int i = 0; i < n; ++i) {
            result = Frame();
        }
        return result;
    }
    // A frame with the key newly pressed, then one with it let go (so that the next press is new).
    std::uint32_t Press(int vk)
    {
        platform::InjectKey(vk, true);
        const std::uint32_t result = Frame();
        platform::InjectKey(vk, false);
        Frame();
        return result;
    }
    // How many times "T" was called so far.
    std::int32_t Marks() { return manager_->GetGlobalA().GetInt("marks", 0); }
    static std::string Mark() { return "g.marks = g.marks + 1"; }
    static std::string Send(int command, const std::string& args = "")
    {
        return "CALL @@SendMsg \"Text\" " + std::to_string(command) + (args.empty() ? "" : " " + args);
    }

    // The message texture as it would be with these texts drawn at these pixels.
    struct Placed {
        int x;
        int y;
        std::string text;
    };
    ::testing::AssertionResult MessageShows(const std::vector<Placed>& placed)
    {
        static TFontHolder font(9, 18, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
        TText8 reference("Reference", 512, 64, 255, 255, 255, D3DPOOL_MANAGED, 0);
        reference.Clear(false);
        for (const Placed& p : placed) {
            reference.DrawText(p.x, p.y, p.text, &font, false);
        }
        const TText8& shown = TScriptProbe::MessageText(*window_);
        const std::size_t bytes = static_cast<std::size_t>(TDxProbe::Stride(shown)) * TDxProbe::TextHeight(shown);
        if (TDxProbe::Stride(reference) != TDxProbe::Stride(shown) ||
            !std::equal(TDxProbe::Pixels(shown), TDxProbe::Pixels(shown) + bytes, TDxProbe::Pixels(reference))) {
            return ::testing::AssertionFailure() << "the message texture differs";
        }
        return ::testing::AssertionSuccess();
    }

    TDSound8* core_ = nullptr;
    std::unique_ptr<TInputDevice> input_;
    TScriptProcessManager* manager_ = nullptr;
    TMessageWindow* window_ = nullptr;  // owned by the manager
};

}  // namespace windowtest
