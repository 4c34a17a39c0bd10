#include "MainCode/Effect/TLaunchShotStandIn.h"

bool TLaunchShotStandIn::Update()
{
    if (m_motion) {
        m_motion->Step(this);
    }
    ++m_steps;
    return m_alive && m_steps < m_pathRecords.size() + m_delay;
}

TEffect* TLaunchShotStandIn::Clone() const
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    auto* copy = new TLaunchShotStandIn(TRefPtr<TFrame>(new TFrame(m_frame->GetName(), m, nullptr)));
    copy->SetPathRecordCount(m_pathRecords.size());
    copy->m_delay = m_delay;
    return copy;
}

D3DXVECTOR3 TLaunchShotStandIn::GetMotionPoint()
{
    D3DXVECTOR3 p;
    m_frame->GetWorldPosition(&p);
    return p;
}

void TLaunchShotStandIn::SetPathRecordCount(std::size_t n)
{
    for (const TRefPtr<TFrame>& record : m_pathRecords) {
        record->Detach();
    }
    m_pathRecords.clear();
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    for (std::size_t i = 0; i < n; ++i) {
        TRefPtr<TFrame> record(new TFrame("Path", m, nullptr));
        m_frame->AddChild(record);
        m_pathRecords.push_back(record);
    }
}
