#pragma once
// The program's version number: shown in the about box and compared with the
// version the service offers.
#include <cstdint>

inline constexpr int32_t kProgramVersion = 20110816;
