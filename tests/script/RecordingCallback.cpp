#include "tests/script/RecordingCallback.h"

#include "base/UnicodeString.h"

#include <cstdio>
#include <cstring>

std::string DescribeVariant(const VARIANT& value)
{
    char buffer[64];
    std::string prefix;
    if (RecordingCallback::IsSeries(value)) {
        std::snprintf(buffer, sizeof buffer, "series%u", static_cast<unsigned>(value.wReserved2));
        return buffer;
    }
    switch (value.vt) {
    case VT_EMPTY:
        return "EMPTY";
    case VT_NULL:
        return "NULL";
    case VT_I2:
        std::snprintf(buffer, sizeof buffer, "I2:%d", value.iVal);
        return buffer;
    case VT_I4:
        std::snprintf(buffer, sizeof buffer, "I4:%ld", static_cast<long>(value.lVal));
        return buffer;
    case VT_R8:
        std::snprintf(buffer, sizeof buffer, "R8:%g", value.dblVal);
        return buffer;
    case VT_BOOL:
        std::snprintf(buffer, sizeof buffer, "BOOL:%d", value.boolVal);
        return buffer;
    case VT_BSTR:
        return "BSTR:" + (value.bstrVal ? WideToGbk(value.bstrVal) : std::string());
    default:
        std::snprintf(buffer, sizeof buffer, "VT:%u", static_cast<unsigned>(value.vt));
        return buffer;
    }
}

RecordingCallback::~RecordingCallback()
{
    for (auto& entry : m_variables)
        ::VariantClear(&entry.second);
}

bool RecordingCallback::IsSeries(const VARIANT& value)
{
    return value.vt == VT_EMPTY && value.wReserved1 == kSeriesMarker;
}

void RecordingCallback::SetRaw(const std::wstring& name, const VARIANT& value)
{
    VARIANT& slot = m_variables[name];
    ::VariantClear(&slot);
    std::memcpy(&slot, &value, sizeof slot);
}

void RecordingCallback::SetInt(const std::wstring& name, LONG number)
{
    VARIANT value;
    std::memset(&value, 0, sizeof value);
    value.vt = VT_I4;
    value.lVal = number;
    SetRaw(name, value);
}

void RecordingCallback::SetString(const std::wstring& name, const wchar_t* text)
{
    VARIANT value;
    std::memset(&value, 0, sizeof value);
    value.vt = VT_BSTR;
    value.bstrVal = ::SysAllocString(text);
    SetRaw(name, value);
}

void RecordingCallback::SetSeries(const std::wstring& name, WORD tag)
{
    VARIANT value;
    std::memset(&value, 0, sizeof value);
    value.wReserved1 = kSeriesMarker;
    value.wReserved2 = tag;
    SetRaw(name, value);
}

const VARIANT* RecordingCallback::Find(const std::wstring& name) const
{
    auto it = m_variables.find(name);
    return it == m_variables.end() ? nullptr : &it->second;
}

std::string RecordingCallback::Describe(const std::wstring& name) const
{
    const VARIANT* value = Find(name);
    return value ? DescribeVariant(*value) : std::string("(none)");
}

std::string RecordingCallback::State() const
{
    std::string out;
    for (const auto& entry : m_variables) {
        if (!out.empty())
            out += ' ';
        out += WideToGbk(entry.first) + "=" + DescribeVariant(entry.second);
    }
    return out;
}

bool RecordingCallback::GetVariable(const wchar_t* name, VARIANT* value)
{
    log.push_back("get " + WideToGbk(name));
    auto it = m_variables.find(name);
    if (it == m_variables.end())
        return false;
    return SUCCEEDED(::VariantCopy(value, &it->second));
}

bool RecordingCallback::SetVariable(const wchar_t* name, VARIANT value)
{
    log.push_back("set " + WideToGbk(name) + "=" + DescribeVariant(value));
    VARIANT& slot = m_variables[name];
    return SUCCEEDED(::VariantCopy(&slot, &value));
}

bool RecordingCallback::CallFunction(const wchar_t* name, VARIANT* arguments, int count, VARIANT* result)
{
    std::string entry = "call " + WideToGbk(name) + "(";
    for (int i = 0; i < count; ++i)
        entry += (i ? "," : "") + DescribeVariant(arguments[i]);
    log.push_back(entry + ")");
    auto it = m_functions.find(name);
    if (it == m_functions.end())
        return false;
    return it->second(arguments, count, result);
}

bool RecordingCallback::Binary(const char* name, VARIANT* left, VARIANT* right, VARIANT* result)
{
    log.push_back(std::string("hook ") + name);
    if (!acceptSeriesHooks || (!IsSeries(*left) && !IsSeries(*right)))
        return false;
    const WORD tag = static_cast<WORD>((IsSeries(*left) ? left->wReserved2 : 0) * 10 + 7);
    ::VariantClear(result);
    std::memset(result, 0, sizeof *result);
    result->wReserved1 = kSeriesMarker;
    result->wReserved2 = tag;
    return true;
}

bool RecordingCallback::OnNegate(VARIANT* value, VARIANT* result)
{
    log.push_back("hook Negate");
    if (!acceptSeriesHooks || !IsSeries(*value))
        return false;
    const WORD tag = static_cast<WORD>(value->wReserved2 + 1000);
    std::memset(result, 0, sizeof *result);
    result->wReserved1 = kSeriesMarker;
    result->wReserved2 = tag;
    return true;
}

ScriptOutcome ReadOutcome(IBaseScript* engine, bool ok)
{
    ScriptOutcome outcome;
    outcome.ok = ok;
    char message[64];
    char token[40];
    char lineText[100];
    engine->GetError(&outcome.line, message, sizeof message, token, sizeof token, lineText, sizeof lineText);
    outcome.message = message;
    outcome.token = token;
    outcome.lineText = lineText;
    return outcome;
}

ScriptOutcome RunScript(IBaseScript* engine, const char* text)
{
    return ReadOutcome(engine, engine->Execute(text));
}
