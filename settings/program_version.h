// The program's name and release number.
#pragma once

#include <string_view>

#include "foundation/version.h"

inline constexpr const char* kProgramName = "Velantra_P3D";
// At least 11.10.0: learned airport files written by an older version lose
// their stand uses when they are read.
inline constexpr const char* kProgramVersionText = "11.14.0";
// Where users mail what the program asks them to send to its maker (the
// window's hint and the log's request name it); a build may set its own.
#ifndef VLNT_SUPPORT_ADDRESS
#define VLNT_SUPPORT_ADDRESS "support@velantra-p3d.example"
#endif
inline constexpr const char* kSupportAddress = VLNT_SUPPORT_ADDRESS;
// Built during static initialisation from the release number; at least 11.0.2,
// the oldest settings file the parameter store upgrades.
inline const VersionData g_programVersion{std::string_view{kProgramVersionText}};
