// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "store/listing.h"

// Gives every row of a listing its competition place: 1 + the players with a
// strictly higher best. The first row's place comes from the players above
// it; each later row shares the place of the row before when their bests are
// equal, and otherwise stands right after everyone ahead of it.
void assign_places(Listing &listing);
