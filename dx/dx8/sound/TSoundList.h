// The sounds a screen or an object needs: the ids of a list file, loaded into a bank for as
// long as the list lives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TSoundBank;

class TSoundList {
public:
    // An empty path, an unreadable list or a null bank give an empty list.
    TSoundList(TSoundBank* bank, const std::string& listPath);
    // The copy declares its own uses of the same ids.
    TSoundList(const TSoundList& other);
    TSoundList& operator=(const TSoundList&) = delete;
    virtual ~TSoundList();

    TSoundBank* GetBank() const { return m_bank; }
    const std::vector<std::uint32_t>& GetIds() const { return m_ids; }

private:
    std::vector<std::uint32_t> m_ids;
    TSoundBank* m_bank;
};
