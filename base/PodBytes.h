#pragma once
// Appending fixed-layout values to a byte string, as they lie in memory
// (little-endian on every target of this program).
#include <string>
#include <type_traits>

template <class T> void AppendPod(std::string& bytes, const T& value)
{
    static_assert(std::is_trivially_copyable<T>::value, "fixed-layout values only");
    bytes.append(reinterpret_cast<const char*>(&value), sizeof(T));
}
