// Enemies in a test area: the effect folder and device, "enemy01" character files, the meshes of
// the loot they leave, a player the area knows (the bare player base, its sounds recorded, its
// notice queue the fixture's), the creation log of the area's effects,
// records in the global enemy table, and a started sound core whose mixer the tests pull: the
// enemies' sound and voice banks hold the time stop's sounds and two voices.
#pragma once

#include <bit>
#include <cfloat>
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
#include "../Character/bare_hero.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Hud/TGetRender.h"
#include "support/character_probe.h"
#include "support/dx_probe.h"
#include "support/engine_recorders.h"
#include "support/hud_probe.h"
#include "MainCode/Map/TAttackHitTimed.h"
#include "MainCode/Map/TMapData.h"
#include "dx/dx8/sound/TDSound8.h"
#include "platform/testing/dsound.h"
#include "formats/enemy_table_writer.h"
#include "formats/field_writer.h"
#include "formats/ground_writer.h"
#include "formats/map_writer.h"
#include "formats/mesh_writer.h"
#include "formats/pattern_writer.h"
#include "formats/player_model_writer.h"
#include "formats/pse_writer.h"
#include "formats/ptx_writer.h"
#include "formats/ring_assets.h"
#include "formats/table_writer.h"
#include "formats/wave_writer.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/Map/TAttackTable.h"
#include "formats/bht_writer.h"

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

// What the banks hold: each sound a steady level on both channels, so the mixer's sum tells which
// are heard. The time stop's sound (10 ms), its loop (10 ms, looped while the stop lasts) and two
// voices of 100 ms (a voice timer of 6 frames).
struct BankSound {
    std::uint32_t bank;
    std::uint32_t id;
    const char* name;
    std::int16_t level;
    std::size_t frames;
};
inline constexpr BankSound kStopSound{0, 651, "stop", 1000, 441};
inline constexpr BankSound kStoppedLoop{0, 652, "stopped", 3000, 441};
inline constexpr BankSound kCry{1, 30, "cry", 500, 4410};
inline constexpr BankSound kGasp{1, 31, "gasp", 700, 4410};

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

// "enemy01" with every motion of the classes (0-25), each `frames` frames long, and its patterns.
inline void WriteEnemyMotions(const std::filesystem::path& root, std::uint32_t frames = 10)
{
    qmtest::MeshFile body = qmtest::GroundMesh().WallZ(0, -0.5F, 0.5F, 0, 2).File("body");
    body.animated = true;
    std::vector<std::vector<TPatternEvent>> patterns;
    for (std::uint32_t i = 0; i < 26; ++i) {
        body.morphs.push_back({"m" + std::to_string(i), std::vector<std::uint32_t>(frames, 0),
                               std::vector<float>(frames, 1.0F)});
        patterns.emplace_back(frames, TPatternEvent());
    }
    body.Save((root / TMesh8::GetDirectory() / qmtest::kEffectCharacterFolder / "enemy01.tob").string());
    qmtest::SaveBytes((root / TCharacterProbe::PatternDirectory() / "enemy01.pat").string(),
                      qmtest::BuildPatternFile(patterns));
}

class EnemyTest : public effecttest::EffectAreaTest {
protected:
    void SetUp() override
    {
        EffectAreaTest::SetUp();
        qmtest::WriteEffectCharacterFiles(dir_.Path(), "enemy01");
        WriteGaugePictures(dir_.Path() / "ptx");
        StartSound();
        TCharacterProbe::ClearEnemyRecords();
        for (std::uint32_t id : {0U, 3U, 79U, 9999U, 10000U, 10027U}) {
            TEnemyDataTable::Insert(qmtest::SampleEnemyRecord(id));
        }
        ASSERT_EQ(TCharacterProbe::PatternDirectory(), TCharacterProbe::WeponDirectory());
        qmtest::WritePlayerModel((dir_.Path() / TMesh8::GetDirectory()).string(),
                                 (dir_.Path() / TCharacterProbe::PatternDirectory()).string(), "player");
        // The hero's first weapon and the value tables every player reads.
        qmtest::WritePlayerValueTables((dir_.Path() / TGameData::GetTableDirectory()).string());
        qmtest::WriteWeaponMesh((dir_.Path() / TMesh8::GetDirectory()).string(), "blade");
        qmtest::WriteStatusIconMeshes(dir_.Path() / TMesh8::GetDirectory());
        TWeponTable::Get(TCharacterRecord().WeaponId).MeshName = "blade";
        // What defeated enemies leave on the ground.
        for (const std::string& mesh : qmtest::FieldObjectMeshes()) {
            const std::filesystem::path file = dir_.Path() / TMesh8::GetDirectory() / mesh;
            std::filesystem::create_directories(file.parent_path());
            qmtest::BoxMesh("item", 0.2F, 0.2F, 0.2F, 0xFFE0C030).Save(file.string());
        }
        // The player's notice queue.
        notices_ = std::make_unique<TGetRender>();
        TPlayerFieldLinks links;
        links.getRender = notices_.get();
        player_ = std::make_unique<BareHero>(links, 0, TCharacterRecord(), "player");
        MovePlayer(0.0F, 0.0F);
        area_->SetPlayer(player_.get());
        // Room for every record a test makes, so that a steady step still allocates nothing.
        playerSounds_.reserve(4096);
        soundRecorder_.Record(true);
        init_genrand(5489);
    }
    void TearDown() override
    {
        factory_.reset();
        area_->SetPlayer(nullptr);
        player_.reset();
        TWeponTable::Clear();
        TItemTable::Clear();
        TCharacterProbe::ClearEnemyRecords();
        // The banks go last: every sound list has let go of its ids by now.
        core_->Uninit();
        platform::SetManualMixing(false);
        TDSound8::SetSeFolder("");
        EffectAreaTest::TearDown();
    }
    // Banks 0 and 1 from one package, and the enemies' lists "char/enemy01_se.tbl" and "_vc.tbl".
    void StartSound()
    {
        platform::SetManualMixing(true);
        core_ = TDSound8::Instance();
        ASSERT_NE(core_, nullptr);
        TDSound8::SetSeFolder(dir_.Path().string() + "/");
        ASSERT_TRUE(core_->Init(window_));
        std::vector<qmtest::PseWave> waves;
        std::vector<std::pair<std::uint32_t, std::string>> names[2];
        std::vector<std::uint32_t> lists[2];
        for (const BankSound& s : {kStopSound, kStoppedLoop, kCry, kGasp}) {
            waves.push_back({s.name, qmtest::PcmFormat(2, 44100, 16),
                             qmtest::Pcm16Bytes(std::vector<std::int16_t>(2 * s.frames, s.level))});
            names[s.bank].emplace_back(s.id, s.name);
            lists[s.bank].push_back(s.id);
        }
        qmtest::SaveBytes(dir_.File("sounds.pse"), qmtest::BuildPse(waves));
        const std::filesystem::path listFolder = dir_.Path() / TGameData::GetTableDirectory() / "char";
        std::filesystem::create_directories(listFolder);
        const char* suffix[2] = {"_se.tbl", "_vc.tbl"};
        for (std::uint32_t bank : {0U, 1U}) {
            const std::string table = dir_.File("bank" + std::to_string(bank) + ".tbl");
            qmtest::SaveBytes(table, qmtest::BuildSoundTable(names[bank]));
            core_->CreateBank(table, "sounds.pse/", bank, -10000, 0);
            qmtest::SaveBytes((listFolder / (std::string("enemy01") + suffix[bank])).string(),
                              qmtest::BuildSoundList(lists[bank]));
        }
    }
    // "enemy01" with every motion of the classes (0-25), each ten frames long.
    void WriteAnimatedEnemy() { WriteEnemyMotions(dir_.Path()); }
    // A clone of the record's prototype, placed at `at` facing away, no leash.
    TRefPtr<TEnemy> Placed(const TEnemyRecord& record, const D3DXVECTOR3& at = D3DXVECTOR3(1, 0, 0))
    {
        TRefPtr<TEnemy> e = Prototype(record)->Clone(nullptr);
        e->Spawn(area_.get(), at, D3DXVECTOR3(1, 1, 1), FLT_MAX, 1);
        return e;
    }
    // The player's hit on the enemy, from the side unless told; returns what the enemy made of it.
    static constexpr float kSide[3] = {3.0F, 0.0F, 0.0F};
    std::uint32_t Hit(TEnemy& e, std::uint32_t damage = 1, const float* from = kSide)
    {
        TAttackHitParams p;
        p.BaseDamage = damage;
        TAttackHitTimed hit(player_->GetObjectId(), area_->Scene(), from, 1, p);
        return e.ReceiveHit(&hit);
    }
    // The live enemies in key order.
    std::vector<TEnemy*> Live() const
    {
        std::vector<TEnemy*> out;
        for (const auto& entry : factory_->GetLive()) {
            out.push_back(entry.second.Get());
        }
        return out;
    }
    // Whether the sound is playing in its bank.
    bool Playing(const BankSound& s)
    {
        TRefPtr<TStreamSound> sound = core_->GetBank(s.bank)->Get(s.id);
        return sound.Get() != nullptr && TDxProbe::State(*sound) == TStreamSound::kPlaying;
    }
    // The left channel of the next mixed frame, then the mixer runs on for `after` more frames.
    std::int16_t Heard(std::size_t after = 0)
    {
        std::vector<std::int16_t> out(2 * (1 + after));
        platform::MixFrames(out.data(), 1 + after);
        return out[0];
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
        for (const TSoundBankRecord& s : playerSounds_) {
            if (s.bank == 0 && (s.op == TSoundBankRecord::kPlay || s.op == TSoundBankRecord::kStop)) {
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

    std::unique_ptr<TGetRender> notices_;
    std::unique_ptr<BareHero> player_;
    std::vector<TSoundBankRecord> playerSounds_;
    qmtest::SoundBankRecorder soundRecorder_{&playerSounds_};
    std::unique_ptr<TEnemyFactory> factory_;
    TDSound8* core_ = nullptr;
};

// The shared generator's sequence from the same seed, drawn alongside.
class Oracle {
public:
    Oracle() : m_mt(5489) {}
    std::uint32_t operator()() { return static_cast<std::uint32_t>(m_mt()); }

private:
    std::mt19937 m_mt;
};

// A run of its own (the time stop starts off), the enemy's motions written, and an attack table of
// the given records loaded for the stop's strike.
class TimeStopTest : public EnemyTest {
protected:
    void SetUp() override
    {
        EnemyTest::SetUp();
        WriteAnimatedEnemy();
    }
    void TearDown() override
    {
        TAttackTable::Clear();
        TAttackTable::SetDirectory("");
        EnemyTest::TearDown();
    }
    void LoadAttackTable(std::vector<TAttackRecord> records)
    {
        qmtest::BhtFile file;
        file.records = std::move(records);
        file.Save((dir_.Path() / "enemy.bht").string());
        TAttackTable::SetDirectory((dir_.Path() / "").string());
        TAttackTable::Load("enemy.bht");
    }
};

}  // namespace enemytest
