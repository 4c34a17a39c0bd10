#include "dx/dx8/sound/TSoundList.h"

#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundListReader.h"

#include <cstdio>

#include "TCommon/TFile.h"
#include "platform/text/cp932.h"

TSoundList::TSoundList(TSoundBank* bank, const std::string& listPath) : m_bank(bank)
{
    // Without a bank nothing could be unloaded later either.
    if (listPath.empty() || m_bank == nullptr) {
        return;
    }
    TSoundListReader reader;
    if (!reader.Load(listPath)) {
        // The game plays on without these sounds; say which list is missing and why.
        TFile file(listPath);
        const char* reason = file.Open(true, GENERIC_READ) ? "damaged or cut short" : "cannot be opened";
        std::fprintf(stderr, "sound: the list %s %s; its sounds stay silent\n",
                     platform::Cp932ToUtf8(listPath).c_str(), reason);
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
