// Player characters on a device: hero models whose motions all last a few frames, a game database
// with weapon types 0..11 (weapon id 1000 + type), the value tables, an input device whose words
// the tests set, the HUD parts, the weapon ribbon and a recording of sounds and voices.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "MainCode/Character/TimeStop.h"
#include "MainCode/GameData/TAccessoryTable.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TItemMeanTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Hud/TGetRender.h"
#include "MainCode/Hud/TLetterFont.h"
#include "MainCode/Hud/TStatusPanel.h"
#include "MainCode/TInputDevice.h"
#include "dx/dx8/sound/TDSound8.h"
#include "armed_fixture.h"
#include "bare_hero.h"
#include "formats/effect_assets.h"
#include "formats/hud_assets.h"
#include "formats/ring_assets.h"
#include "formats/table_writer.h"
#include "support/engine_recorders.h"

namespace playertest {

constexpr std::uint32_t kMotions = 40;
// Every motion has this many frames of one step each: it ends on the 4th step. The recovery and
// item motions (17, 18) have kLongFrames.
constexpr std::uint32_t kFrames = 4;
constexpr std::uint32_t kLongFrames = 8;
constexpr std::uint32_t FramesOf(std::uint32_t motion) { return motion == 17 || motion == 18 ? kLongFrames : kFrames; }

// The player base the tests can look into.
class TestHero : public BareHero {
public:
    using BareHero::BareHero;
    using TPlayerCharacter::RunStateHandler;
    void SetHp(std::int32_t hp) { m_hp = hp; }
    void SetMp(std::int32_t mp) { m_mp = mp; }
    void SetOnGround(std::uint8_t on) { m_onGround = on; }
    void SetLongStun(std::uint8_t on) { m_longStun = on; }
    void SetStunTime(std::int32_t t) { m_stunTime = t; }
    void SetCameraFrame(TFrame* frame) { m_cameraFrame = frame; }
    void SetMoveLevel(std::uint32_t level) { m_moveLevel = level; }
    void SetGaugeUsed(std::uint32_t used) { m_gaugeUsed = used; }
    void SetGravity(float g) { m_gravity = g; }
    D3DXVECTOR3 Position() const
    {
        D3DXVECTOR3 p;
        GetPosition(&p);
        return p;
    }
};

class PlayerFixture : public objtest::ArmedFixture {
protected:
    void SetUp() override
    {
        ArmedFixture::SetUp();
        for (const char* model : {"hero01", "hero02", "heroine01", "heroine02", "hero", "heroine"}) {
            WriteHeroModel(model);
        }
        qmtest::WriteWeaponRibbon(TMesh8::GetDirectory());
        TGameData::SetTableDirectory("tbl/");
        std::filesystem::create_directories("tbl/char");
        WriteValueTable("tbl/ex.tbl", 201, 10);
        WriteValueTable("tbl/abp.tbl", 201, 3);
        TGameData::Initialize();
        data_ = TGameData::GetInstance();
        data_->Reset();
        THrdefTable::Get(0).ModelName = "hero";
        THrdefTable::Get(1).ModelName = "heroine";
        // Weapon 1000 + type and, for the pair of type 8, its left-hand blade 11008; all share one mesh.
        Load(qmtest::GroundMesh().Floor(0, 0, 0.1F, 1.0F, 0).File("blade"), "wepon/blade.msh");
        // The bow heroine's arrow.
        Load(qmtest::EffectMeshFile("arw00.msh"), "effect/arw00.msh");
        for (std::int32_t type = 0; type < 12; ++type) {
            TWeponRecord& w = TWeponTable::Get(1000 + static_cast<std::uint32_t>(type));
            w.Id = 1000 + static_cast<std::uint32_t>(type);
            w.Type = type;
            w.MeshName = "blade";
        }
        TWeponTable::Get(11008) = TWeponTable::Get(1008);
        TWeponTable::Get(11008).Id = 11008;
        input_ = std::make_unique<TInputDevice>("input.ini", 10, TInputDevice::kDefaultKeys, TInputDevice::kDefaultPad);
        links_.input = input_.get();
        // The HUD parts stand on the real letter font, on the sheet the field folder carries.
        const std::string textures = TTexture8::GetDirectory().empty() ? std::string(".") : TTexture8::GetDirectory();
        qmtest::WriteHudAssets(textures);
        qmtest::WriteRingAssets(textures, TMesh8::GetDirectory().empty() ? std::string(".") : TMesh8::GetDirectory(),
                                TGameData::GetTableDirectory());
        font_ = std::make_unique<TLetterFont>("sprite.ptx/word");
        panel_ = std::make_unique<TStatusPanel>(font_.get());
        getRender_ = std::make_unique<TGetRender>();
        ring_ = std::make_unique<TItemRing>(font_.get());
        gauge_ = std::make_unique<TSkillGauge>();
        links_.letterFont = font_.get();
        links_.statusPanel = panel_.get();
        links_.itemRing = ring_.get();
        links_.skillGauge = gauge_.get();
        links_.getRender = getRender_.get();
        // The player's sound and voice banks (empty: every sound has no length), made after the
        // ring and the gauge so that only the players play on them.
        TDSound8::Instance()->CreateBank("", "", 0, -10000, 0);
        TDSound8::Instance()->CreateBank("", "", 1, -10000, 0);
        soundRecorder_.Record(true);
        D3DXMATRIX m;
        D3DXMatrixIdentity(&m);
        camera_ = TRefPtr<TFrame>(new TFrame("camera", m, nullptr));
    }

    void TearDown() override
    {
        ring_.reset();
        gauge_.reset();
        TDSound8::Instance()->Uninit();
        TGameData::Finalize();
        TWeponTable::Clear();
        TItemMeanTable::Clear();
        TAccessoryTable::Clear();
        ArmedFixture::TearDown();
    }

    // A body of kMotions motions and a pattern per motion; motions 1 to 3 and 6 step forward by
    // `walk` a frame.
    void WriteHeroModel(const std::string& name, float walk = 0.05F)
    {
        qmtest::MeshFile body = qmtest::GroundMesh().WallZ(0, -0.5F, 0.5F, 0, 2).File("body");
        body.animated = true;
        std::vector<std::vector<TPatternEvent>> patterns;
        for (std::uint32_t i = 0; i < kMotions; ++i) {
            const std::uint32_t frames = FramesOf(i);
            body.morphs.push_back({"m" + std::to_string(i), std::vector<std::uint32_t>(frames, 0),
                                   std::vector<float>(frames, 1.0F)});
            TPatternEvent frame;
            if ((i >= 1 && i <= 3) || i == 6) {
                frame.Displacement = D3DXVECTOR3(0.0F, 0.0F, -walk);
            }
            patterns.emplace_back(frames, frame);
        }
        Load(body, "char04/" + name + ".tob");
        qmtest::SaveBytes(name + ".pat", qmtest::BuildPatternFile(patterns));
        WriteWepons(name);
    }

    static void WriteValueTable(const std::string& path, std::uint32_t count, std::uint32_t step)
    {
        std::vector<std::uint32_t> values;
        for (std::uint32_t i = 0; i < count; ++i) {
            values.push_back(i * step);
        }
        qmtest::SaveBytes(path, qmtest::BuildSoundList(values));
    }

    // Character `index` with the weapon of that type, on the bare player base.
    std::unique_ptr<TestHero> MakeHero(std::uint32_t index = 0, std::int32_t type = 0)
    {
        return MakeHeroOf<TestHero>(index, type);
    }
    template <typename Hero>
    std::unique_ptr<Hero> MakeHeroOf(std::uint32_t index, std::int32_t type)
    {
        TCharacterRecord* record = data_->GetCharacterData(index);
        record->WeaponId = 1000 + static_cast<std::uint32_t>(type);
        // The models of the classes of weapon types 0 to 2; the rest play the character's first.
        const char* model = type == 2 ? (index == 0 ? "hero02" : "heroine02") : (index == 0 ? "hero01" : "heroine01");
        auto hero = std::make_unique<Hero>(links_, index, *record, model);
        hero->SetCameraFrame(camera_.Get());
        return hero;
    }

    // Sets the input words: movement now and before, attack pair now and before.
    void Buttons(std::uint32_t now, std::uint32_t before = 0, std::uint32_t attackNow = 0, std::uint32_t attackBefore = 0)
    {
        input_->SetWord(0, now);
        input_->SetWord(1, before);
        input_->SetWord(2, attackNow);
        input_->SetWord(3, attackBefore);
    }

    // The plays and stops the banks heard since the set-up (or the last clear of sounds_).
    std::vector<TSoundBankRecord> PlaysAndStops() const
    {
        std::vector<TSoundBankRecord> out;
        for (const TSoundBankRecord& s : sounds_) {
            if (s.op == TSoundBankRecord::kPlay || s.op == TSoundBankRecord::kStop) {
                out.push_back(s);
            }
        }
        return out;
    }
    // The ids played or stopped on the bank (0 sound effects, 1 voices).
    std::vector<std::uint32_t> Played(std::uint32_t bank) const
    {
        std::vector<std::uint32_t> ids;
        for (const TSoundBankRecord& s : PlaysAndStops()) {
            if (s.bank == bank) {
                ids.push_back(s.id);
            }
        }
        return ids;
    }

    TGameData* data_ = nullptr;
    std::unique_ptr<TInputDevice> input_;
    std::unique_ptr<TLetterFont> font_;
    std::unique_ptr<TStatusPanel> panel_;  // on the font once it is made
    std::unique_ptr<TItemRing> ring_;
    std::unique_ptr<TSkillGauge> gauge_;
    std::unique_ptr<TGetRender> getRender_;
    TPlayerFieldLinks links_;
    std::vector<TSoundBankRecord> sounds_;
    qmtest::SoundBankRecorder soundRecorder_{&sounds_};
    TRefPtr<TFrame> camera_;
};

}  // namespace playertest
