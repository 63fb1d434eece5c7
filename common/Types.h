// Fixed-width integer names used throughout the Common library.
#pragma once

#include <cstdint>

namespace Common {

typedef std::uint8_t u8;
typedef std::uint16_t u16;
typedef std::uint32_t u32;
typedef std::uint64_t u64;

} // namespace Common
