#include "dx/dx8/sound/TSoundList.h"

#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundListReader.h"

TSoundList::TSoundList(TSoundBank* bank, const std::string& listPath) : bank_(bank)
{
    // Without a bank nothing could be unloaded later either.
    if (listPath.empty() || bank_ == nullptr) {
        return;
    }
    TSoundListReader reader;
    if (!reader.Load(listPath)) {
        return;
    }
    for (std::uint32_t id : reader.GetEntries()) {
        ids_.push_back(id);
        bank_->Load(id);
    }
}

TSoundList::TSoundList(const TSoundList& other) : ids_(other.ids_), bank_(other.bank_)
{
    for (std::uint32_t id : ids_) {
        bank_->Load(id);
    }
}

TSoundList::~TSoundList()
{
    for (std::uint32_t id : ids_) {
        bank_->Unload(id);
    }
}
