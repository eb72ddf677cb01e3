#pragma once
// A VARIANT owned by the formula host: cleared when it goes, copied so that a
// series keeps its marker, count and pointer (its floats are never owned).
#include "formula/SeriesValue.h"

#include <cstring>
#include <map>
#include <new>
#include <string>
#include <vector>

class FormulaVariant
{
public:
    FormulaVariant() { std::memset(&m_value, 0, sizeof m_value); }
    // Throws std::bad_alloc when a string or array cannot be copied.
    explicit FormulaVariant(const VARIANT& value)
    {
        std::memset(&m_value, 0, sizeof m_value);
        Assign(value);
    }
    FormulaVariant(const FormulaVariant& other)
        : FormulaVariant(other.m_value)
    {
    }
    FormulaVariant(FormulaVariant&& other) noexcept
    {
        m_value = other.m_value;
        std::memset(&other.m_value, 0, sizeof other.m_value);
    }
    FormulaVariant& operator=(const FormulaVariant& other)
    {
        Assign(other.m_value);
        return *this;
    }
    FormulaVariant& operator=(FormulaVariant&& other) noexcept
    {
        if (this != &other) {
            ::VariantClear(&m_value);
            m_value = other.m_value;
            std::memset(&other.m_value, 0, sizeof other.m_value);
        }
        return *this;
    }
    ~FormulaVariant() { ::VariantClear(&m_value); }

    void Assign(const VARIANT& value)
    {
        if (&value == &m_value)
            return;
        if (FAILED(CopyFormulaValue(m_value, value)))
            throw std::bad_alloc();
    }

    const VARIANT& get() const { return m_value; }
    VARIANT& get() { return m_value; }

private:
    VARIANT m_value;
};

// The host's named values, in ordinal (case-sensitive) name order.
using FormulaVariables = std::map<std::wstring, FormulaVariant>;
// Values recorded in order: a run's copies and a statement's output arguments.
using FormulaValueList = std::vector<FormulaVariant>;
