#pragma once
// The cross-fade of a state button between two frames of its strip, as a
// pure step over an injected tick, so that the timing can be tested without
// a window or a clock.
#include <windows.h>
#include <cstdint>

enum FadeFrame : int { kFrameDisabled = 0, kFrameNormal = 1, kFrameHover = 2, kFramePressed = 3 };

struct FadeState
{
    int current = kFrameNormal;
    int previous = kFrameNormal;
    // 0..255; 255 means settled on the current frame.
    uint32_t level = 255;
    DWORD lastTick = 0;
};

// What the button does with its fade timer after a step.
enum class FadeTimer { kKeep, kStart, kStop };

// One paint's step towards target at tick now. A change between two
// non-pressed frames of a visible button fades (restarting from the mirror of
// the level reached, so a half-done fade turns without a jump); pressing,
// releasing and hidden buttons switch at once. The level then grows by the
// elapsed ticks × 10 / divisor and settles at 255.
FadeTimer StepFade(FadeState& state, int target, bool visible, DWORD now, uint32_t divisor = 13);

// The constant alphas the two frames are drawn with at a level: previous is
// 0 when only the current frame is drawn.
struct FadeAlphas
{
    uint8_t previous;
    uint8_t current;
};
FadeAlphas FadeAlphasAt(uint32_t level);
