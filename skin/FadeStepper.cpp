#include "skin/FadeStepper.h"
#include <algorithm>

FadeTimer StepFade(FadeState& state, int target, bool visible, DWORD now, uint32_t divisor)
{
    FadeTimer timer = FadeTimer::kKeep;
    if (target != state.current) {
        if (target != kFramePressed && state.current != kFramePressed && visible) {
            state.previous = state.current;
            state.current = target;
            state.level = std::min<uint32_t>(2 * (255 - std::min<uint32_t>(state.level, 255)), 255);
            state.lastTick = now;
            timer = FadeTimer::kStart;
        } else {
            state.previous = state.current = target;
            state.level = 255;
            return FadeTimer::kStop;
        }
    }
    if (state.level <= 255) {
        // 64-bit so that a long pause (or a tick count that wrapped) cannot
        // overflow the product and leave the fade unfinished.
        const uint64_t elapsed = static_cast<DWORD>(now - state.lastTick);
        const uint64_t grown = state.level + elapsed * 10 / (divisor ? divisor : 1);
        state.lastTick = now;
        if (grown >= 255) {
            state.level = 255;
            return FadeTimer::kStop;
        }
        state.level = static_cast<uint32_t>(grown);
    }
    return timer;
}

FadeAlphas FadeAlphasAt(uint32_t level)
{
    if (level >= 255)
        return { 0, 255 };
    const uint32_t current = level < 128 ? std::min<uint32_t>(2 * (level + 1), 255) : 255;
    return { static_cast<uint8_t>(255 - level), static_cast<uint8_t>(current) };
}
