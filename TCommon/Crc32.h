// CRC-32 (ISO-HDLC: reflected, polynomial 0xEDB88320), as the save files carry it.
#pragma once

#include <cstdint>

std::uint32_t Crc32(const void* buffer, std::int32_t length);
