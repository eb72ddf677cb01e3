#pragma once
// Prices on the wire: unsigned thousandths; nothing below zero.
#include <cmath>
#include <cstdint>

inline uint32_t Thousandths(double price)
{
    return price <= 0 ? 0 : static_cast<uint32_t>(std::lround(price * 1000.0));
}
