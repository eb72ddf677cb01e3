#pragma once
// Shared by the F10 view, side panel and indicator manager tests.
#include <string>

// Fills the indicator store with the market simulator's definitions (once).
void LoadSimulatedIndicators();

// The whole file, or "<missing>" when it cannot be read.
std::string ReadFileBytes(const std::string& path);
