// SPDX-License-Identifier: MIT
#pragma once

// What the program tells Qt about itself before it makes its first window: its name and
// version (from the one project version), its desktop entry, and the font of every window.
void describeApplication();
