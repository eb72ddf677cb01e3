#pragma once
// Prices on the wire: unsigned thousandths; nothing below zero, nothing past
// what the field holds (lround's long is 32 bits on Windows).
#include <cmath>
#include <cstdint>

inline uint32_t Thousandths(double price)
{
    if (!(price > 0))
        return 0;
    const double thousandths = std::round(price * 1000.0);
    return thousandths >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(thousandths);
}
