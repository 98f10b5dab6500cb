// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

// QUIVERBOLT_ASAN is defined in builds under AddressSanitizer: gcc tells of
// it by a macro, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define QUIVERBOLT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUIVERBOLT_ASAN 1
#endif
#endif

#ifdef QUIVERBOLT_ASAN
constexpr bool under_address_sanitizer = true;
#else
constexpr bool under_address_sanitizer = false;
#endif
