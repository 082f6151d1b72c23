// SPDX-License-Identifier: MIT
#pragma once

// How many of this user's copies already have a window on this display: the lowest number
// no running copy holds, which this copy then holds until it ends.
int takeCopySlot();
