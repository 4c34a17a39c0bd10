#include "save_screen_fixture.h"

#include <cstring>
#include <fstream>

#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TD3D8.h"
#include "formats/byte_writer.h"
#include "formats/field_writer.h"
#include "formats/game_table_writer.h"
#include "formats/ini_writer.h"
#include "formats/save_screen_assets.h"
#include "formats/table_writer.h"
#include "support/alloc_probe.h"
#include "support/dx_probe.h"
#include "support/menu_probe.h"
#include "support/window_settings.h"

namespace savetest {

namespace {

TSvpRecord SavePointAt(std::uint32_t id, const std::string& place)
{
    TSvpRecord r = qmtest::FieldSavePoint();
    r.Id = id;
    r.PlaceName = place;
    return r;
}

// The database as a save of it would hold it, at that save point.
qmtest::SaveFileData Snapshot(std::int32_t savePoint, std::uint32_t money)
{
    TGameData& data = *TGameData::GetInstance();
    qmtest::SaveFileData d;
    d.playTime = 3723000;  // 01:02:03
    d.activeCharacter = 0;
    d.savePoint = savePoint;
    d.money = money;
    for (std::uint32_t i = 0; i < 8; ++i) {
        d.characters[i] = *data.GetCharacterData(i);
        d.characters[i].Level = 6;
    }
    return d;
}

}  // namespace

void SaveScreens::SetUp()
{
    game_ = dir_.Path() / "Quillmark04";
    fs::create_directories(game_ / "save");
    {
        qmtest::ScopedCwd cwd(game_);
        qmtest::WriteFieldFolder(".", qmtest::DefaultFieldMaps());
        qmtest::SaveBytes("data/tbl04/svp.tbl",
                          qmtest::BuildGameTable(std::vector<TSvpRecord>{
                              qmtest::FieldSavePoint(), SavePointAt(kChapter2SavePoint, "古い砦"),
                              SavePointAt(static_cast<std::uint32_t>(kOwnSavePoint), kOwnPlace)}));
        qmtest::SaveBytes("data/ptx04/sprite.ptx",
                          qmtest::BuildPtx(qmtest::WithSaveScreenSprites(qmtest::FieldSprites())));
        fs::create_directories("data/tbl04/subset");
        qmtest::SaveBytes("data/tbl04/subset/menu_se.tbl",
                          qmtest::BuildSoundList({600, 601, 602, 603, 605, 606, 607, 608}));
        qmtest::WriteWindowedSettingsWithDepth();
    }
    driver_ = std::make_unique<qmtest::SceneDriver>(game_);
    ASSERT_TRUE(driver_->Start());
    driver_->Steps(8);  // past the input's start-up polls, on the title
}

void SaveScreens::TearDown()
{
    driver_.reset();
}

fs::path SaveScreens::SlotPath(std::int32_t slot, std::int32_t chapter) const
{
    if (chapter == -1) {
        return game_ / "save" / qmtest::SaveSlotName(slot);
    }
    char folder[16];
    std::snprintf(folder, sizeof folder, "Quillmark%02d", chapter);
    return dir_.Path() / folder / "save" / qmtest::SaveSlotName(slot);
}

void SaveScreens::Write(std::int32_t slot, Slot kind, std::int32_t chapter, std::uint32_t money)
{
    const fs::path path = SlotPath(slot, chapter);
    fs::create_directories(path.parent_path());
    std::vector<std::uint8_t> bytes;
    switch (kind) {
    case Slot::Missing:
        fs::remove(path);
        return;
    case Slot::Own:
        bytes = qmtest::BuildSaveFile(Snapshot(kOwnSavePoint, money), false);
        break;
    case Slot::OtherChapter:
    case Slot::Chapter2:
        bytes = qmtest::BuildSaveFile(Snapshot(kChapter2SavePoint, money), true);
        break;
    case Slot::BadCrc:
        bytes = qmtest::BuildSaveFile(Snapshot(kOwnSavePoint, money), false);
        bytes[40] ^= 0x5A;
        break;
    case Slot::Short:
        bytes = std::vector<std::uint8_t>(100, 7);
        break;
    }
    qmtest::SaveBytes(path.string(), bytes);
}

std::vector<std::uint8_t> SaveScreens::Bytes(std::int32_t slot) const
{
    std::ifstream in(SlotPath(slot), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TSaveLoadLoop* SaveScreens::Open(TSaveLoadLoop* screen)
{
    driver_->App()->PushScene(screen);
    StepToSelection(screen);
    return screen;
}

bool SaveScreens::StepToSelection(const TSaveLoadLoop* screen, int limit)
{
    for (int i = 0; i < limit; ++i) {
        if (TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen))) {
            return true;
        }
        driver_->Step();
    }
    return TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen));
}

TSelectContinueDataLoop* SaveScreens::OpenChoice(std::int32_t chapter)
{
    TSelectContinueDataLoop* choice = TSelectContinueDataLoop::Create(driver_->App(), chapter);
    driver_->App()->PushScene(choice);
    for (int i = 0; i < 80 && !TMenuProbe::InInput(*choice); ++i) {
        driver_->Step();
    }
    return choice;
}

std::vector<std::uint32_t> Played(const std::vector<TSoundBankRecord>& records)
{
    std::vector<std::uint32_t> ids;
    for (const TSoundBankRecord& r : records) {
        if (r.op == TSoundBankRecord::kPlay && r.bank == 0) {
            ids.push_back(r.id);
        }
    }
    return ids;
}

StepCost SteadyCost(qmtest::SceneDriver& driver, const TSaveSlotPage& page)
{
    StepCost cost;
    driver.RecordDraws(true);
    driver.Step();
    const std::vector<TSpriteDrawRecord> quads = driver.draws;
    driver.RecordDraws(false);
    {
        qmtest::AllocationProbe probe(true);
        driver.Steps(10);
        cost.steps = probe.OwnThreadGameAllocations();
    }
    std::vector<TSprite*> sprites;
    std::vector<TSprite> windows;
    windows.reserve(quads.size());
    TSprite rect;
    for (const TSpriteDrawRecord& q : quads) {
        TSprite* sprite = &rect;
        if (q.texture == "WinTips0") {
            sprite = const_cast<TText8*>(&TMenuProbe::TitleText(page));
        } else if (q.texture == "PageNum") {
            sprite = const_cast<TText8*>(&TMenuProbe::PageText(page));
        } else if (q.texture.rfind("SaveNo", 0) == 0) {
            sprite = const_cast<TText8*>(&TMenuProbe::RowText(page, q.texture.back() - '0'));
        } else if (q.kind != TSpriteDrawRecord::kRect) {
            windows.push_back(TSprite::FromFile(q.texture, D3DPOOL_MANAGED, 0));
            sprite = &windows.back();
        }
        sprites.push_back(sprite);
    }
    TD3D8* d3d = TD3D8::Instance();
    auto replay = [&] {
        d3d->BeginScene();
        for (std::size_t i = 0; i < quads.size(); ++i) {
            const TSpriteDrawRecord& q = quads[i];
            TSprite::SetRenderMode(q.mode);
            if (q.kind == TSpriteDrawRecord::kRect) {
                rect.DrawRect(q.x, q.y, q.w, q.h, false);
            } else {
                sprites[i]->Draw(q.x, q.y, q.w, q.h, false);
            }
        }
        d3d->EndScene();
        d3d->Present();
    };
    replay();
    {
        qmtest::AllocationProbe probe(true);
        for (int i = 0; i < 10; ++i) {
            replay();
        }
        cost.bare = probe.OwnThreadGameAllocations();
    }
    return cost;
}

::testing::AssertionResult Shows(const TText8& text, const std::vector<std::pair<int, std::string>>& parts)
{
    TText8 want("want", TDxProbe::TextWidth(text), TDxProbe::TextHeight(text), 255, 255, 255, D3DPOOL_MANAGED, 0);
    TFontHolder font(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
    for (const auto& [x, words] : parts) {
        want.DrawText(x, 0, words, &font, false);
    }
    const std::size_t bytes = static_cast<std::size_t>(TDxProbe::Stride(text)) * TDxProbe::TextHeight(text);
    if (TDxProbe::Pixels(text) == nullptr || TDxProbe::Pixels(want) == nullptr || TDxProbe::Stride(text) != TDxProbe::Stride(want)) {
        return ::testing::AssertionFailure() << "no text bitmap to compare";
    }
    if (std::memcmp(TDxProbe::Pixels(text), TDxProbe::Pixels(want), bytes) != 0) {
        return ::testing::AssertionFailure() << "the text differs from \"" << parts.back().second << "\"";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ShowsSlotLine(const TText8& text, std::int32_t slot, const std::string& line)
{
    char number[16];
    std::snprintf(number, sizeof number, "%2d：", slot);
    return Shows(text, {{0, number}, {32, line}});
}

}  // namespace savetest
