// A started game database on tables written into a fresh folder, also the working folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MainCode/GameData/TGameData.h"
#include "formats/game_table_writer.h"
#include "support/temp_dir.h"

namespace gamedatatest {

inline THrdefRecord Hero(std::int32_t id, std::int32_t lifeMax)
{
    THrdefRecord hero;
    hero.Id = id;
    hero.Name = "hero" + std::to_string(id);
    hero.Level = 2 + id;
    hero.LifeMax = lifeMax;
    hero.MpMax = lifeMax / 2;
    hero.Stat[0] = 11;
    hero.WeaponId = 1000 + static_cast<std::uint32_t>(id);
    return hero;
}

class GameDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd_ = std::make_unique<qmtest::ScopedCwd>(dir_.Path());
        TGameData::SetTableDirectory(dir_.Path().string() + "/");
        TGameData::SetMaxMoney(1700000);
        TGameData::SetMaxLevel(59);
        // Heroes 0 and 1 are defined; 2..7 fall back to the default hero.
        Save("hrdef.tbl", qmtest::BuildGameTable(std::vector<THrdefRecord>{Hero(0, 500), Hero(1, 800)}));
        WriteTables();
        TGameData::Initialize();
        data_ = TGameData::GetInstance();
        ASSERT_NE(data_, nullptr);
        data_->Reset();
    }

    void TearDown() override
    {
        TGameData::Finalize();
        TWeponTable::Clear();
        TAccessoryTable::Clear();
        TItemMeanTable::Clear();
        cwd_.reset();
    }

    // More tables for a suite, written before the database starts.
    virtual void WriteTables() {}

    void Save(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        qmtest::SaveBytes(dir_.File(name), bytes);
    }

    qmtest::TempDir dir_;
    std::unique_ptr<qmtest::ScopedCwd> cwd_;
    TGameData* data_ = nullptr;
};

}  // namespace gamedatatest
