// The message window drawn with the window parts the sample folder ships: its panel and name plate
// must stand behind the text, not small squares in a corner of it.
#include "Script/message_window_fixture.h"
#include "formats/field_writer.h"
#include "dx/dx8/3d/TTexture8.h"
#include "support/golden.h"

namespace windowtest {
namespace {

class SampleMessageWindow : public MessageWindowTest {
protected:
    void SetUp() override
    {
        MessageWindowTest::SetUp();
        // The fixture's window and its pictures go first, so nothing is taken from the cache.
        TScriptProcessManager::Destroy();
        TTexture8::PurgeCache(2);
        WritePackage("sprite.ptx", qmtest::FieldSprites());
        manager_ = TScriptProcessManager::Create();
        window_ = new TMessageWindow(input_.get());
        manager_->AddModule(window_);
    }
};

TEST_F(SampleMessageWindow, PictureOfAPageOnTheShippedPanel)
{
    Start({Send(4, "\"ミナ\""), Send(2, "0 2"), Send(0, "\"こんにちは、旅の人。\\nWelcome to the harbour.／\"")});
    Frames(11 + 10 + 24 + 11);
    ASSERT_TRUE(window_->IsWaitingForButton());
    BeginFrame(0xFF406080);
    window_->Draw();
    const platform::RgbaImage image = EndFrame();
    EXPECT_TRUE(qmtest::MatchesGolden(image, "message_window_sample_panel"));
}

}  // namespace
}  // namespace windowtest
