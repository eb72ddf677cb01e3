// The cross-fade of the state buttons as a pure step over injected ticks.
#include "skin/FadeStepper.h"
#include <gtest/gtest.h>

namespace {

struct FadeCase
{
    const char* name;
    int current;
    uint32_t level;
    int target;
    bool visible;
    DWORD elapsed; // since the last step
    int wantCurrent;
    int wantPrevious;
    uint32_t wantLevel;
    FadeTimer wantTimer;
};

const FadeCase kCases[] = {
    // A change at half fade mirrors the level: 2 x 128 caps at 255, no visible fade.
    { "turn at 127", 1, 127, 2, true, 0, 2, 1, 255, FadeTimer::kStop },
    { "turn at 200", 1, 200, 2, true, 0, 2, 1, 110, FadeTimer::kStart },
    { "settled to hover", 1, 255, 2, true, 0, 2, 1, 0, FadeTimer::kStart },
    { "hover back to normal", 2, 255, 1, true, 0, 1, 2, 0, FadeTimer::kStart },
    { "disabled fades too", 1, 255, 0, true, 0, 0, 1, 0, FadeTimer::kStart },
    { "press is instant", 2, 255, 3, true, 0, 3, 3, 255, FadeTimer::kStop },
    { "release is instant", 3, 255, 2, true, 0, 2, 2, 255, FadeTimer::kStop },
    { "press mid-fade is instant", 1, 40, 3, true, 0, 3, 3, 255, FadeTimer::kStop },
    { "hidden is instant", 1, 255, 2, false, 0, 2, 2, 255, FadeTimer::kStop },
    { "one timer tick adds 15", 2, 100, 2, true, 20, 2, 1, 115, FadeTimer::kKeep },
    { "reaching 255 settles", 2, 250, 2, true, 20, 2, 1, 255, FadeTimer::kStop },
    { "settled stays", 2, 255, 2, true, 500, 2, 1, 255, FadeTimer::kStop },
};

}

TEST(FadeStepper, StepTable)
{
    for (const FadeCase& c : kCases) {
        SCOPED_TRACE(c.name);
        FadeState state;
        state.current = c.current;
        state.previous = 1;
        state.level = c.level;
        state.lastTick = 1000;
        const FadeTimer timer = StepFade(state, c.target, c.visible, 1000 + c.elapsed);
        EXPECT_EQ(state.current, c.wantCurrent);
        EXPECT_EQ(state.previous, c.wantPrevious);
        EXPECT_EQ(state.level, c.wantLevel);
        EXPECT_EQ(timer, c.wantTimer);
    }
}

TEST(FadeStepper, AFadeFromZeroSettlesAfterAbout340Ms)
{
    FadeState state;
    EXPECT_EQ(StepFade(state, 2, true, 5000), FadeTimer::kStart);
    DWORD now = 5000;
    int ticks = 0;
    FadeTimer timer = FadeTimer::kKeep;
    while (timer != FadeTimer::kStop && ticks < 100) {
        now += 20;
        ++ticks;
        timer = StepFade(state, 2, true, now);
        if (timer != FadeTimer::kStop) {
            EXPECT_EQ(state.level, static_cast<uint32_t>(15 * ticks));
        }
    }
    EXPECT_EQ(ticks, 17); // 16 x 15 = 240, the 17th tick passes 255
    EXPECT_EQ(state.level, 255u);
}

TEST(FadeStepper, TicksThatWrapOrPauseLongStillSettle)
{
    FadeState state;
    state.current = 2;
    state.level = 0;
    state.lastTick = 0xFFFFFFF0u;
    EXPECT_EQ(StepFade(state, 2, true, 4), FadeTimer::kKeep); // 20 ms across the wrap
    EXPECT_EQ(state.level, 15u);

    state.level = 0;
    state.lastTick = 0;
    EXPECT_EQ(StepFade(state, 2, true, 0xF0000000u), FadeTimer::kStop); // the product passes 32 bits
    EXPECT_EQ(state.level, 255u);
}

TEST(FadeStepper, FrameAlphas)
{
    struct
    {
        uint32_t level;
        uint8_t previous;
        uint8_t current;
    } const cases[] = { { 255, 0, 255 }, { 0, 255, 2 }, { 100, 155, 202 }, { 127, 128, 255 }, { 128, 127, 255 },
        { 254, 1, 255 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        const FadeAlphas alphas = FadeAlphasAt(c.level);
        EXPECT_EQ(alphas.previous, c.previous);
        EXPECT_EQ(alphas.current, c.current);
    }
}
