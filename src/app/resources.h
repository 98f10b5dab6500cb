// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

// Makes the compiled-in resources (fonts, logo, icons) available. The
// resources live in a static library, so they must be pulled in by a call;
// calling it more than once is harmless.
void init_resources();
