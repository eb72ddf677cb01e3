// Recursive averages. Each seeds on its first valid element; an invalid element
// later on gives an invalid result and the recurrence goes on from the last
// valid one, so a gap in a derived series does not feed -1000000 into every
// later value. The recurrence runs in doubles.
#include "formula/FormulaKernels.h"

#include <cmath>

namespace {

// result = keep * previous + take * x over the valid elements.
void Recurrence(const float* x, int count, double keep, double take, float* out)
{
    bool seeded = false;
    double result = 0.0;
    for (int i = 0; i < count; ++i) {
        const float value = x[i];
        if (IsInvalidValue(value)) {
            out[i] = kInvalidValue;
            continue;
        }
        if (seeded) {
            result = keep * result + take * value;
        } else {
            result = value;
            seeded = true;
        }
        // Weights outside [0, 1] can make the recurrence grow without bound.
        out[i] = std::isfinite(static_cast<float>(result)) ? static_cast<float>(result) : kInvalidValue;
    }
}

} // namespace

void SeriesEMA(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 0) {
        FillInvalid(out, count);
        return;
    }
    Recurrence(x, count, (n - 1.0) / (n + 1.0), 2.0 / (n + 1.0), out);
}

void SeriesSMA(const float* x, int count, int n, int m, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 0) {
        FillInvalid(out, count);
        return;
    }
    Recurrence(
        x, count, static_cast<double>(n - static_cast<double>(m)) / n, static_cast<double>(m) / n, out);
}

void SeriesDMA(const float* x, int count, double weight, float* out)
{
    Recurrence(x, count, 1.0 - weight, weight, out);
}

void SeriesDMAByWeights(const float* x, int count, const float* weights, int weightCount, float* out)
{
    bool seeded = false;
    double result = 0.0;
    for (int i = 0; i < count; ++i) {
        const float value = x[i];
        if (IsInvalidValue(value)) {
            out[i] = kInvalidValue;
            continue;
        }
        if (!seeded) {
            result = value;
            seeded = true;
            out[i] = value;
            continue;
        }
        const float weight = i < weightCount ? weights[i] : kInvalidValue;
        if (IsInvalidValue(weight)) {
            out[i] = kInvalidValue;
            continue;
        }
        const double next = (1.0 - weight) * result + static_cast<double>(weight) * value;
        if (!std::isfinite(static_cast<float>(next))) {
            out[i] = kInvalidValue;
            continue;
        }
        result = next;
        out[i] = static_cast<float>(result);
    }
}
