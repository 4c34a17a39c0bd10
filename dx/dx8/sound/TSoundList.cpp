#include "dx/dx8/sound/TSoundList.h"

#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundListReader.h"

TSoundList::TSoundList(TSoundBank* bank, const std::string& listPath) : m_bank(bank)
{
    // Without a bank nothing could be unloaded later either.
    if (listPath.empty() || m_bank == nullptr) {
        return;
    }
    TSoundListReader reader;
    if (!reader.Load(listPath)) {
        return;
    }
    for (std::uint32_t id : reader.GetEntries()) {
        m_ids.push_back(id);
        m_bank->Load(id);
    }
}

TSoundList::TSoundList(const TSoundList& other) : m_ids(other.m_ids), m_bank(other.m_bank)
{
    for (std::uint32_t id : m_ids) {
        m_bank->Load(id);
    }
}

TSoundList::~TSoundList()
{
    for (std::uint32_t id : m_ids) {
        m_bank->Unload(id);
    }
}
