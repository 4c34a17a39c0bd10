#include "MainCode/Hud/TStatusIcon.h"


#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TWeponTable.h"

namespace {

constexpr float kDegree = 0.017453292F;

bool IsStatBoostActive(TPlayerCharacter* character) { return character != nullptr && character->HasStatBoost(); }

// One test per icon, in icon order: the character's six status counters, then its timed bonus.
bool (*const kIconTests[TStatusIcon::kIcons])(TPlayerCharacter*) = {
    IsStatusEffectActive0, IsStatusEffectActive1, IsStatusEffectActive2, IsStatusEffectActive3,
    IsStatusEffectActive4, IsStatusEffectActive5, IsStatBoostActive};

}  // namespace

const char* const TStatusIcon::kMeshes[kIcons] = {
    "effect/icon_status_poison.msh", "effect/icon_status_sickness.msh", "effect/icon_status_confusion.msh",
    "effect/icon_status_fear.msh",   "effect/icon_status_slow.msh",     "effect/icon_status_silence.msh",
    "effect/icon_status_boost.msh"};

TStatusIcon::TStatusIcon() : m_root(new TFrame("StateRoot", IdentityMatrix(), nullptr))
{
    for (std::int32_t i = 0; i < kIcons; ++i) {
        m_icons[i] = TRefPtr<TStateIcon>(new TStateIcon(kMeshes[i], i));
    }
    m_shown.reserve(kIcons);
}

TStatusIcon::~TStatusIcon()
{
    m_shown.clear();
    m_root->Detach();
}

void TStatusIcon::Attach(TPlayerCharacter* character)
{
    TFrame* parent = character != nullptr && character->GetFrame() != nullptr ? character->GetFrame()->GetParent()
                                                                               : nullptr;
    if (parent != nullptr) {
        parent->AddChild(m_root);
    }
}

void TStatusIcon::Detach() { m_root->Detach(); }

void TStatusIcon::Update(TPlayerCharacter* character, TFrame* parent, TFrame* camera)
{
    if (character == nullptr) {
        return;
    }
    m_root->RotateAxis(D3DXVECTOR3(0.0F, 1.0F, 0.0F), kDegree, true);
    D3DXVECTOR3 at(0.0F, 0.0F, 0.0F);
    if (character->GetFrame() != nullptr) {
        character->GetFrame()->GetPosition(&at);
    }
    m_root->SetPosition(at + D3DXVECTOR3(0.0F, character->GetCenterHeight() + 1.0F, 0.0F));

    bool changed = false;
    for (std::size_t k = 0; k < m_shown.size();) {
        if (m_shown[k]->Step(parent, camera)) {
            ++k;
        } else {
            m_shown.erase(m_shown.begin() + static_cast<std::ptrdiff_t>(k));
            changed = true;
        }
    }

    const std::size_t kept = m_shown.size();
    std::int32_t n = 0;
    for (std::int32_t i = 0; i < kIcons; ++i) {
        TStateIcon* icon = m_icons[i].Get();
        const bool on = kIconTests[i](character);
        if (!icon->IsShown()) {
            if (on) {
                m_shown.push_back(m_icons[i]);
                changed = true;
            }
        } else if (!on) {
            icon->StartLeaving();
        }
    }
    for (const TRefPtr<TStateIcon>& icon : m_shown) {
        if (!icon->IsLeaving()) {
            ++n;
        }
    }
    if (!changed) {
        return;
    }
    for (std::size_t j = 0; j < m_shown.size(); ++j) {
        TStateIcon* icon = m_shown[j].Get();
        const std::int32_t slot = static_cast<std::int32_t>(j);
        if (j >= kept) {
            icon->Show(m_root, n, slot);
        } else if (!icon->IsLeaving()) {
            icon->Relayout(n, slot);
        }
    }
}
