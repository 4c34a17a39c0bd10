// Writer of the save slot files ("sav_NN.dat"): the plain body from a party state, then the
// flag byte, the scrambled body and its CRC-32 before or after it. The reader back gives
// the plain body of a file, for checking what the game wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TItemEntry.h"

namespace qmtest {

struct SaveFileData {
    std::uint32_t playTime = 0;
    std::int32_t bgmVolume = 64;
    std::int32_t seVolume = 64;
    std::int32_t voiceVolume = 64;
    std::uint8_t miniMap = 1;
    std::int32_t activeCharacter = 0;
    std::int32_t savePoint = 11;  // the save point decides the chapter; 11..20 is chapter 4
    std::uint32_t money = 30000;
    TCharacterRecord characters[8];
    std::vector<std::uint8_t> flags = std::vector<std::uint8_t>(2048);
    std::vector<std::uint8_t> pickupFlags = std::vector<std::uint8_t>(1024);
    TItemEntry ring[8];
    std::vector<TItemEntry> items;
};

// The body before scrambling.
std::vector<std::uint8_t> BuildSaveBody(const SaveFileData& data);
// A whole file around a plain body (which may be anything: damaged bodies get a valid CRC).
std::vector<std::uint8_t> WrapSaveBody(const std::vector<std::uint8_t>& plainBody, bool crcFirst);
std::vector<std::uint8_t> BuildSaveFile(const SaveFileData& data, bool crcFirst);

// The plain body of a file; false when the file is too short or its CRC does not match.
bool UnwrapSaveFile(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& plainBody, bool& crcFirst);

// "sav_NN.dat" and the save folder of chapter 1..6 ("../QuillmarkNN/save/").
std::string SaveSlotName(int slot);

}  // namespace qmtest
