#pragma once
// The RC4 stream cipher and the fixed key of the indicator definition file.
#include <cstddef>
#include <cstdint>

// The key the quote server enciphers "formula.dat" with; the simulator uses the
// same constant. 61 printable bytes, no terminator counted.
extern const char kFormulaCipherKey[];
static const size_t kFormulaCipherKeyLength = 61;

class Rc4
{
public:
    // Runs the key schedule; an empty key leaves the identity permutation.
    Rc4(const uint8_t* key, size_t keyLength);
    // XORs the keystream over the bytes (enciphering and deciphering alike).
    void Apply(uint8_t* data, size_t length);

private:
    uint8_t m_state[256];
    uint8_t m_i;
    uint8_t m_j;
};

// A fresh key schedule under kFormulaCipherKey, applied from the first byte.
void ApplyFormulaCipher(uint8_t* data, size_t length);
