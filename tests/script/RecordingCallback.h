#pragma once
// A host for script tests: keeps named variables, answers registered functions,
// and records every request the engine makes of it.
#include "formula/ScriptInterfaces.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// "I4:3", "R8:2.5", "BOOL:-1", "BSTR:text", "EMPTY"; a value carrying the test
// series marker gets a "series" prefix.
std::string DescribeVariant(const VARIANT& value);

class RecordingCallback : public IScriptCallback
{
public:
    static const WORD kSeriesMarker = 1111;
    using Function = std::function<bool(VARIANT* arguments, int count, VARIANT* result)>;

    RecordingCallback() = default;
    virtual ~RecordingCallback();

    void SetInt(const std::wstring& name, LONG value);
    void SetString(const std::wstring& name, const wchar_t* value);
    // A value the engine's own arithmetic cannot handle: type VT_EMPTY with the
    // marker in its first reserved word, as the formula host makes series.
    void SetSeries(const std::wstring& name, WORD tag);
    void SetRaw(const std::wstring& name, const VARIANT& value);
    void AddFunction(const std::wstring& name, Function function) { m_functions[name] = function; }

    bool Has(const std::wstring& name) const { return m_variables.count(name) != 0; }
    std::string Describe(const std::wstring& name) const;
    // Every variable as "name=value" separated by blanks, in name order.
    std::string State() const;
    const VARIANT* Find(const std::wstring& name) const;

    std::vector<std::string> log;
    bool acceptSeriesHooks = true;

    bool GetVariable(const wchar_t* name, VARIANT* value) override;
    bool SetVariable(const wchar_t* name, VARIANT value) override;
    bool CallFunction(const wchar_t* name, VARIANT* arguments, int count, VARIANT* result) override;
    bool OnAdd(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("Add", l, r, out); }
    bool OnSubtract(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("Subtract", l, r, out); }
    bool OnMultiply(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("Multiply", l, r, out); }
    bool OnDivide(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("Divide", l, r, out); }
    bool OnEqual(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("Equal", l, r, out); }
    bool OnNotEqual(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("NotEqual", l, r, out); }
    bool OnLess(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("Less", l, r, out); }
    bool OnLessEqual(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("LessEqual", l, r, out); }
    bool OnGreater(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("Greater", l, r, out); }
    bool OnGreaterEqual(VARIANT* l, VARIANT* r, VARIANT* out) override
    {
        return Binary("GreaterEqual", l, r, out);
    }
    bool OnAnd(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("And", l, r, out); }
    bool OnOr(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("Or", l, r, out); }
    bool OnXor(VARIANT* l, VARIANT* r, VARIANT* out) override { return Binary("Xor", l, r, out); }
    bool OnNegate(VARIANT* value, VARIANT* result) override;

    static bool IsSeries(const VARIANT& value);

private:
    // Series operands are combined by tag arithmetic: the result is a series
    // whose tag records the operation; anything else is declined.
    bool Binary(const char* name, VARIANT* left, VARIANT* right, VARIANT* result);

    std::map<std::wstring, VARIANT> m_variables;
    std::map<std::wstring, Function> m_functions;
};

// The outcome of one run, read back through GetError.
struct ScriptOutcome
{
    bool ok = false;
    std::string message;
    int line = 0;
    std::string token;
    std::string lineText;
};

ScriptOutcome ReadOutcome(IBaseScript* engine, bool ok);
ScriptOutcome RunScript(IBaseScript* engine, const char* text);
