#pragma once
// The program's version as the About panel shows it.
#include <cstdint>
#include <string>

// The oldest version ever shown: 6.0.2.
constexpr uint32_t kMinimumVersion = 0x60002;

// "major.minor.build" from major << 16 | minor << 8 | build; a number below
// kMinimumVersion shows as 6.0.2.
std::string VersionText(uint32_t number);
