#include "MainCode/TLoop.h"

#include <cmath>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundList.h"
#include "platform/win32/timer.h"

TLoop::TLoop(TGameWnd* app)
    : m_app(app), m_d3d(app->GetD3D()), m_sound(app->GetSound()), m_input(app->GetInput())
{
}

TFrameTimer::TFrameTimer(std::uint32_t fps, TLoop* owner)
    : m_last(static_cast<double>(timeGetTime())),
      m_elapsed(0.0),
      m_interval(1000.0 / static_cast<double>(fps)),
      m_owner(owner)
{
}

TSceneLoop::TSceneLoop(TGameWnd* app)
    : TLoop(app),
      m_timer(60, this),
      m_update(&TSceneLoop::RunState),
      m_draw(&TSceneLoop::DrawNothing),
      m_state(&TSceneLoop::StateContinue)
{
}

TSceneLoop::~TSceneLoop() = default;

std::uint16_t TSceneLoop::Pressed(std::uint16_t mask) const
{
    if (m_input == nullptr) {
        return 0;
    }
    return static_cast<std::uint16_t>(m_input->GetWord(0) & ~m_input->GetWord(1) & mask);
}

std::unique_ptr<TSoundList> TSceneLoop::MakeSoundList(std::uint32_t bank, const std::string& listName) const
{
    return std::make_unique<TSoundList>(m_sound != nullptr ? m_sound->GetBank(bank) : nullptr,
                                        TGameData::GetTableDirectory() + listName);
}

void TSceneLoop::LoadSounds(const std::string& listName)
{
    m_sounds = MakeSoundList(kEffectBank, listName);
}

void TSceneLoop::PlaySe(std::uint32_t id)
{
    if (m_sounds != nullptr && m_sounds->GetBank() != nullptr) {
        m_sounds->GetBank()->Play(id);
    }
}

std::uint32_t TSceneLoop::Update()
{
    const double now = static_cast<double>(timeGetTime());
    if (now < m_timer.m_last) {
        // The millisecond counter wrapped: start again from now, with no catch-up burst.
        m_timer.m_last = static_cast<double>(timeGetTime());
    }
    m_timer.m_elapsed = std::fabs(static_cast<double>(timeGetTime()) - m_timer.m_last);
    m_idle = m_timer.m_elapsed < m_timer.m_interval;
    if (m_idle) {
        return LOOP_CONTINUE;
    }
    std::uint32_t r = LOOP_CONTINUE;
    int steps = 0;
    do {
        m_timer.m_elapsed -= m_timer.m_interval;
        if (m_input != nullptr) {
            m_input->PollInput();
        }
        r = (this->*m_update)();
        if ((r & LOOP_END) != 0) {
            return r;
        }
        m_timer.m_last += m_timer.m_interval;
    } while (++steps < kMaxCatchUpSteps && m_timer.m_elapsed >= m_timer.m_interval);
    if (m_timer.m_elapsed >= m_timer.m_interval) {
        // Behind by more than the steps allowed: forgive the whole intervals, keep the fraction.
        const double behind = m_timer.m_elapsed - std::fmod(m_timer.m_elapsed, m_timer.m_interval);
        m_timer.m_last += behind;
        m_timer.m_elapsed -= behind;
    }
    (this->*m_draw)();
    return r;
}

void TSceneLoop::Draw()
{
    (this->*m_draw)();
}

std::uint32_t TSceneLoop::GetIdleTime() const
{
    if (!m_idle) {
        return 0;
    }
    // Whole milliseconds up to the due time, rounded up so the wait never ends just short of it.
    const double due = m_timer.m_last + m_timer.m_interval - static_cast<double>(timeGetTime());
    return due > 0.0 ? static_cast<std::uint32_t>(std::ceil(due)) : 0;
}

void TSceneLoop::Resume()
{
    TLoop::Resume();
    m_timer.m_last = static_cast<double>(timeGetTime());
}

std::uint32_t TSceneLoop::RunState()
{
    return (this->*m_state)();
}
