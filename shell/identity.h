// Who the program is: executable name, version, and the maker's addresses.
#pragma once

#include <string>

namespace kestrin::identity {

// The title ("Kestrin": settings application and caption prefix) is kTitle in
// records/program_state.h, which the records below the shell use as well.

// The executable's name without extension, until the program learns its own at start.
inline constexpr const char* kExecutableName = "Kestrin";
inline constexpr int kMajor = 2;
inline constexpr int kMinor = 11;
inline constexpr int kRevision = 210;

// The maker's web site (scheme and host, no trailing "/") and support e-mail address.
inline constexpr const char* kWebSite = "https://www.vellam.example";
inline constexpr const char* kSupportEmail = "support@vellam.example";
inline constexpr const char* kNotice = "Copyright (C) 2026 Vellam";

// "2.11 (Build 210)"
std::string versionText();

}  // namespace kestrin::identity
