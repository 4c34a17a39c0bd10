// Enemies in a test area: the effect folder and device, "enemy01" character files, a player the
// area knows (the bare player base, its sounds recorded), the creation log of the area's effects,
// and records in the global enemy table.
#pragma once

#include <bit>
#include <memory>
#include <random>
#include <vector>

#include "../Effect/effect_area_fixture.h"
#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemyDataTable.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TEnemyFieldLinks.h"
#include "MainCode/Character/TEnemyA.h"
#include "MainCode/Character/TEnemyTypes.h"
#include "MainCode/Character/Subset/TPatternInfo.h"
#include "MainCode/Character/Subset/TWeponState.h"
#include "MainCode/Character/TPlayerSoundLog.h"
#include "MainCode/Character/TStandInEnemy.h"
#include "../Character/bare_hero.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Map/TMapData.h"
#include "support/enemy_table_writer.h"
#include "support/map_writer.h"
#include "support/player_model_writer.h"
#include "support/ptx_writer.h"

namespace enemytest {

// A battle map's enemy records, written as the map loader reads them.
class TestMap {
public:
    TestMap(std::uint32_t maxLive, float spawnDistance)
    {
        m_stream = qmtest::SmallestMapStream(1);
        m_stream.EnemyBounds(std::bit_cast<float>(maxLive), spawnDistance);
    }
    TestMap& Place(std::uint32_t type, const D3DXVECTOR3& at, const D3DXVECTOR3& facing = D3DXVECTOR3(0, 0, 0))
    {
        m_stream.Enemy(type, at, facing);
        return *this;
    }
    TestMap& Spawner(std::uint32_t type, const D3DXVECTOR3& at, std::uint32_t interval, float leash = 10.0F,
                     const D3DXVECTOR3& facing = D3DXVECTOR3(1, 1, 1))
    {
        m_stream.EnemySpawner(type, at, facing, interval, std::bit_cast<std::uint32_t>(leash));
        return *this;
    }
    TMapData Load(const std::string& folder)
    {
        qmtest::MapStream stream = m_stream;
        stream.End();
        qmtest::SaveBytes(folder + "/enemies.dat", qmtest::MapContainer({{"field", stream.Data()}}));
        TMapData::SetDirectory(folder + "/");
        TMapData data("enemies.dat/field", nullptr, nullptr, nullptr);
        TMapData::SetDirectory("");
        return data;
    }

private:
    qmtest::MapStream m_stream;
};

// The gauge frame (64 x 8, grey) and the bar sheet (256 x 64, green in the bar's cell).
inline void WriteGaugePictures(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    qmtest::PtxImage frame = qmtest::PtxImage::Filled("guage08", 1, 64, 8, {90, 90, 110});
    std::vector<qmtest::PtxColor> colours(256 * 64, qmtest::PtxColor{40, 40, 40});
    for (int y = 48; y < 56; ++y) {
        for (int x = 96; x < 156; ++x) {
            colours[static_cast<std::size_t>(y * 256 + x)] = {40, 220, 80};
        }
    }
    qmtest::PtxImage bar = qmtest::PtxImage::FromPixels("bar00", 0, 256, 64, colours);
    qmtest::SaveBytes((folder / "sprite.ptx").string(), qmtest::BuildPtx({frame, bar}));
}

class EnemyTest : public effecttest::EffectAreaTest {
protected:
    void SetUp() override
    {
        EffectAreaTest::SetUp();
        qmtest::WriteEffectCharacterFiles(dir_.Path(), "enemy01");
        WriteGaugePictures(dir_.Path() / "ptx");
        TEnemyDataTable::ClearAll();
        for (std::uint32_t id : {0U, 3U, 79U, 9999U, 10000U, 10027U}) {
            TEnemyDataTable::Insert(qmtest::SampleEnemyRecord(id));
        }
        ASSERT_EQ(TPatternInfo::GetDirectory(), TWeponState::GetDirectory());
        qmtest::WritePlayerModel((dir_.Path() / TMesh8::GetDirectory()).string(),
                                 (dir_.Path() / TPatternInfo::GetDirectory()).string(), "player");
        // The hero's first weapon and the value tables every player reads.
        qmtest::WritePlayerValueTables((dir_.Path() / TGameData::GetTableDirectory()).string());
        qmtest::WriteWeaponMesh((dir_.Path() / TMesh8::GetDirectory()).string(), "blade");
        TWeponTable::Get(TCharacterRecord().WeaponId).MeshName = "blade";
        player_ = std::make_unique<BareHero>(nullptr, 0, TCharacterRecord(), "player");
        MovePlayer(0.0F, 0.0F);
        area_->SetPlayer(player_.get());
        SetPlayerSoundLog(&playerSounds_);
        GetEnemyLinkLog() = TEnemyLinkLog();
        SetDetachedFieldView(area_->View());
        init_genrand(5489);
    }
    void TearDown() override
    {
        SetDetachedFieldView(nullptr);
        SetPlayerSoundLog(nullptr);
        factory_.reset();
        area_->SetPlayer(nullptr);
        player_.reset();
        TWeponTable::Clear();
        TEnemyDataTable::ClearAll();
        EffectAreaTest::TearDown();
    }
    void MakeFactory(TestMap& map)
    {
        const TMapData data = map.Load(dir_.Path().string());
        factory_ = std::make_unique<TEnemyFactory>(area_.get(), data);
    }
    // A prototype of the record, never placed.
    TRefPtr<TEnemy> Prototype(const TEnemyRecord& record)
    {
        return TRefPtr<TEnemy>(new TEnemyA(record, 1, 0));
    }
    void MovePlayer(float x, float z) { player_->PlaceAt(D3DXVECTOR3(x, 0.0F, z), D3DXVECTOR3(0.0F, 0.0F, -1.0F)); }
    // The player's sound effects (bank 0) since the set-up.
    std::vector<std::uint32_t> PlayerSounds() const
    {
        std::vector<std::uint32_t> ids;
        for (const TPlayedSound& s : playerSounds_) {
            if (s.bank == 0) {
                ids.push_back(s.id);
            }
        }
        return ids;
    }
    // A light hit of all its HP: knocked down for good.
    static void KnockOut(TEnemy* enemy)
    {
        enemy->ReactLight(0, -1, 0, 10, 1, 1.0F, 30.0F, enemy->GetHp());
    }
    // Steps the factory until an enemy ends (within the fall, the lying down and the last count).
    bool UpdateUntilGone()
    {
        const std::size_t before = factory_->GetDefeatedIds().size();
        for (int i = 0; i < 400; ++i) {
            factory_->Update();
            if (factory_->GetDefeatedIds().size() != before) {
                return true;
            }
        }
        return false;
    }

    std::unique_ptr<BareHero> player_;
    std::vector<TPlayedSound> playerSounds_;
    std::unique_ptr<TEnemyFactory> factory_;
};

// The shared generator's sequence from the same seed, drawn alongside.
class Oracle {
public:
    Oracle() : m_mt(5489) {}
    std::uint32_t operator()() { return static_cast<std::uint32_t>(m_mt()); }

private:
    std::mt19937 m_mt;
};

}  // namespace enemytest
