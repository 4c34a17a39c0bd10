// One step of the player, its frame update, the HUD, sounds, voices and the status timers.
#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/Effect/TAfterImage.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Hud/TGetRender.h"
#include "MainCode/Hud/TStatusPanel.h"
#include "MainCode/Map/TAreaBase.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/sound/TSoundBank.h"

namespace {

constexpr std::uint32_t kLowButtons = 0xFFFF;

// Plays on the list's bank; answers the length, -1 without a sound.
std::int32_t PlayOn(const TSoundList& list, std::uint32_t id)
{
    TSoundBank* b = list.GetBank();
    if (b == nullptr) {
        return -1;
    }
    b->Play(id);
    return b->GetLength(id);
}

std::int32_t VoiceTime(std::int32_t length) { return static_cast<std::int32_t>(static_cast<float>(length) * 0.0625F); }

}  // namespace

void TPlayerCharacter::HideButtons(HiddenButtons& h)
{
    if (h.Hidden) {
        return;
    }
    h.Hidden = true;
    for (std::uint32_t i = 0; i < 2; ++i) {
        h.Saved[i] = Word(i * 2) & kLowButtons;
        SetWordBits(i * 2, Word(i * 2) & ~kLowButtons);
    }
}

void TPlayerCharacter::RestoreButtons(const HiddenButtons& h)
{
    if (!h.Hidden) {
        return;
    }
    for (std::uint32_t i = 0; i < 2; ++i) {
        SetWordBits(i * 2, Word(i * 2) | h.Saved[i]);
    }
}

bool TPlayerCharacter::Update()
{
    const bool stopped = IsTimeStopped();
    HiddenButtons hidden;
    if (stopped) {
        HideButtons(hidden);
    }
    UpdatePopups();
    TickTargetTimer();
    if (m_itemRing != nullptr && m_itemRing->RunState(this)) {
        HideButtons(hidden);
    }
    HandleAttackButtons();
    DetectDoubleTap();
    CheckFall();
    TryJump();
    ProcessPatternFrame();
    if (!stopped) {
        RunStateHandler();
    }
    FrameUpdate();
    if (!stopped) {
        RestoreButtons(hidden);
    }
    if (stopped) {
        PlaceAtTimeStopPoint(this);
    }
    return true;
}

void TPlayerCharacter::ProcessPatternFrame()
{
    const TPatternEvent& frame = FirePatternFrame();
    // Slowness halves the steps of walking and dashing.
    const float scale = m_state >= 1 && m_state <= 3 && m_slowness.IsRunning() ? 0.5F : 1.0F;
    m_frame->Translate(frame.Displacement.x * scale, frame.Displacement.y * scale, frame.Displacement.z * scale,
                       true);
}

void TPlayerCharacter::FrameUpdate()
{
    if (m_statusPanel != nullptr) {
        m_statusPanel->Update(this);
    }
    if (m_skillGauge != nullptr) {
        m_skillGauge->HandleInput(this);
    }
    TArmedCharacter::FrameUpdate();
    if (m_leftWepon.Get() != nullptr && m_leftTrail != nullptr) {
        m_leftTrail->Update();
    }
    if (m_rightWepon.Get() != nullptr && m_rightTrail != nullptr) {
        m_rightTrail->Update();
    }
    TickTimedBonus();
    m_statusIcons.Update(this, m_referenceFrame, m_cameraFrame);
    if (m_getRender != nullptr) {
        m_getRender->Update();
    }
    TickStatusTimers();
}

void TPlayerCharacter::TickTimedBonus()
{
    TGameData* data = TGameData::GetInstance();
    if (data != nullptr && data->GetTimedFlags(m_characterIndex) != nullptr) {
        data->GetTimedFlags(m_characterIndex)->Tick();
    }
}

void TPlayerCharacter::DrawHud()
{
    if (m_statusPanel != nullptr) {
        m_statusPanel->Draw(0.0F, 0.0F);
    }
    if (m_itemRing != nullptr) {
        m_itemRing->Draw();
    }
    if (m_skillGauge != nullptr) {
        m_skillGauge->Draw(0.0F, 416.0F);
    }
    TSprite::SetRenderMode(1);
    m_hitPopup.Draw();
    for (const TRefPtr<TPopupText>& popup : m_popups) {
        popup->Draw();
    }
    if (m_getRender != nullptr) {
        m_getRender->Draw();
    }
}

void TPlayerCharacter::PlaySound(std::uint32_t id)
{
    std::uint32_t played = id;
    if (id == 1000 || id == 1500) {
        played = id + m_groundKind;
        if (m_groundKind == 7 && m_effectManager != nullptr) {
            D3DXVECTOR3 position;
            GetPosition(&position);
            position.y += 0.02F;
            const float colour[4] = {0.4F, 0.35F, 0.15F, 1.0F};
            const float scale[3] = {1.0F, 1.0F, 1.0F};
            m_effectManager->Create(35, &position, nullptr, m_referenceFrame, m_area, colour, scale);
        }
    }
    PlayOn(m_soundList, played);
}

void TPlayerCharacter::StopSound(std::uint32_t id)
{
    if (TSoundBank* b = m_soundList.GetBank()) {
        b->Stop(id);
    }
}

void TPlayerCharacter::PlayVoice(std::uint32_t id)
{
    if (m_voiceTimer > 0) {
        return;
    }
    const std::uint32_t played = m_characterIndex > 0 ? id + 1000 : id;
    m_voiceTimer = VoiceTime(PlayOn(m_voiceList, played));
}

void TPlayerCharacter::PlayDownVoice()
{
    // Heard whatever voice is still playing.
    m_voiceTimer = VoiceTime(PlayOn(m_voiceList, m_characterIndex == 0 ? 106 : 1100));
}

void TPlayerCharacter::PlayActionVoice(std::uint32_t code)
{
    const std::uint32_t r = genrand_int32();
    const bool inRange = (code >= 10000 && code <= 10059) || (code >= 11000 && code <= 11059);
    if (!inRange) {
        PlayVoice(code);
        return;
    }
    const std::uint32_t group = (code % 1000) / 10;  // 0 .. 5
    const bool special = code % 10 == 6;
    static const std::uint32_t kBase[6] = {150, 200, 250, 300, 350, 400};
    std::uint32_t voice = kBase[group];
    if (special) {
        if (group == 0) {
            voice = 151 + (r & 3);
        } else if (group == 4) {
            voice = 351 + (r & 1);
        } else {
            voice = kBase[group] + 1 + r % 3;
        }
    }
    PlayVoice(voice);
}

void TPlayerCharacter::TickTimer(TStatusTimer& timer, std::int32_t period, bool poison, bool manaDrain)
{
    if (timer.Remaining > 0) {
        --timer.Remaining;
        if (++timer.Phase >= period) {
            timer.Phase = 0;
            if (poison && m_hp >= 5) {
                m_hp -= 4;
            }
            if (manaDrain && m_mp >= 1) {
                m_mp -= 1;
            }
        }
    }
    if (timer.Remaining <= 0) {
        timer.Remaining = 0;
        timer.Phase = 0;
    }
}

void TPlayerCharacter::TickCountdown(TStatusCountdown& countdown)
{
    if (countdown.Remaining > 0) {
        --countdown.Remaining;
    }
    if (countdown.Remaining < 0) {
        countdown.Remaining = 0;
    }
}

void TPlayerCharacter::TickStatusTimers()
{
    TickTimer(m_attackBuff1, 120, false, false);
    TickTimer(m_attackBuff2, 120, false, false);
    TickTimer(m_poison, 60, true, false);
    TickTimer(m_manaDrain, 60, false, true);
    TickCountdown(m_reversedControls);
    TickCountdown(m_attackSeal);
    TickCountdown(m_slowness);
    TickCountdown(m_manaSeal);
}

// The step in town areas: no combat, the HUD and the status timers run.
bool TPlayerCharacter::UpdateInTown()
{
    HiddenButtons hidden;
    // A conversation or script running in the area keeps the hero still.
    if (m_area != nullptr && (m_area->IsScriptActive() || m_area->GetTalkingVillager() != nullptr)) {
        HideButtons(hidden);
    }
    if (m_itemRing != nullptr && m_itemRing->RunState(this)) {
        HideButtons(hidden);
    }
    UpdatePopups();
    DetectDoubleTap();
    CheckFall();
    TryJump();
    ProcessPatternFrame();
    RunStateHandler();
    if (m_statusPanel != nullptr) {
        m_statusPanel->Update(this);
    }
    if (m_skillGauge != nullptr) {
        m_skillGauge->HandleInput(this);
    }
    m_statusIcons.Update(this, m_referenceFrame, m_cameraFrame);
    if (m_getRender != nullptr) {
        m_getRender->Update();
    }
    TickStatusTimers();
    RestoreButtons(hidden);
    return true;
}
