// SPDX-License-Identifier: MIT
// Placeholder until the profile layer lands.
#include "platform/profile.h"
