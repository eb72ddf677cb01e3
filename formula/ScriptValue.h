#pragma once
// VARIANT ownership inside the script engine.
#include <windows.h>
#include <oleauto.h>
#include <cstring>

// OLE leaves the reserved words of a VARIANT as it found them (and some of its
// conversions fill them with stack bytes), while hosts may keep a marker there.
// Every value the engine makes itself gets them zeroed; a DECIMAL uses them.
inline void ZeroVariantReserved(VARIANT& value)
{
    if (value.vt != VT_DECIMAL) {
        value.wReserved1 = 0;
        value.wReserved2 = 0;
        value.wReserved3 = 0;
    }
}

inline void ClearVariantWhole(VARIANT& value)
{
    ::VariantClear(&value);
    std::memset(&value, 0, sizeof value);
}

// One VARIANT owned by the engine; cleared when it goes out of scope, so a raised
// error never leaks a string or an interface.
class ScriptValue
{
public:
    ScriptValue() { std::memset(&m_value, 0, sizeof m_value); }
    ~ScriptValue() { ::VariantClear(&m_value); }

    VARIANT* get() { return &m_value; }
    VARIANT& operator*() { return m_value; }
    const VARIANT& operator*() const { return m_value; }
    VARTYPE type() const { return m_value.vt; }

    void Clear() { ClearVariantWhole(m_value); }
    // Takes over raw, which is left empty.
    void Take(VARIANT& raw)
    {
        if (&raw == &m_value)
            return;
        ::VariantClear(&m_value);
        m_value = raw;
        std::memset(&raw, 0, sizeof raw);
    }
    void Take(ScriptValue& other) { Take(other.m_value); }

    void SetInt(LONG value)
    {
        Clear();
        m_value.vt = VT_I4;
        m_value.lVal = value;
    }
    void SetDouble(double value)
    {
        Clear();
        m_value.vt = VT_R8;
        m_value.dblVal = value;
    }
    void SetBool(bool value)
    {
        Clear();
        m_value.vt = VT_BOOL;
        m_value.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }

private:
    ScriptValue(const ScriptValue&) = delete;
    ScriptValue& operator=(const ScriptValue&) = delete;

    VARIANT m_value;
};
