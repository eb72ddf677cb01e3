#include "data/Rc4.h"

#include <utility>

const char kFormulaCipherKey[] = "http://formula.zentu-market.example.cn/indicators/tech-v2.dat";
static_assert(sizeof(kFormulaCipherKey) == kFormulaCipherKeyLength + 1, "the cipher key is 61 bytes");

Rc4::Rc4(const uint8_t* key, size_t keyLength)
    : m_i(0)
    , m_j(0)
{
    for (int n = 0; n < 256; ++n)
        m_state[n] = static_cast<uint8_t>(n);
    if (!key || keyLength == 0)
        return;
    uint8_t j = 0;
    for (int n = 0; n < 256; ++n) {
        j = static_cast<uint8_t>(j + m_state[n] + key[n % keyLength]);
        std::swap(m_state[n], m_state[j]);
    }
}

void Rc4::Apply(uint8_t* data, size_t length)
{
    for (size_t n = 0; n < length; ++n) {
        m_i = static_cast<uint8_t>(m_i + 1);
        m_j = static_cast<uint8_t>(m_j + m_state[m_i]);
        std::swap(m_state[m_i], m_state[m_j]);
        data[n] ^= m_state[static_cast<uint8_t>(m_state[m_i] + m_state[m_j])];
    }
}

void ApplyFormulaCipher(uint8_t* data, size_t length)
{
    Rc4 cipher(reinterpret_cast<const uint8_t*>(kFormulaCipherKey), kFormulaCipherKeyLength);
    cipher.Apply(data, length);
}
