#pragma once
// How many GDI objects this process holds, for leak checks around
// create/destroy cycles.
#include <windows.h>

#include <functional>

// GetGuiResources where the system implements it; Wine answers 0 there, and
// then the entries of the process's GDI handle table are counted instead.
// Returns 0 when neither source is available.
DWORD CountGdiObjects();

// How many GDI objects `cycles` runs of cycle leave behind, after one run
// that may fill caches; 0 when the count falls.
DWORD GdiGrowthOver(const std::function<void()>& cycle, int cycles);
