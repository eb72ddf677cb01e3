#pragma once
// The built-in functions of the formula language, as the formula host
// (CScriptAcceptor) dispatches them.
//
// For the developer who fills the table (FormulaBuiltinTable.cpp):
// - A built-in registers itself by putting its handler into its row of
//   kFormulaBuiltins. The rows, their order and their minimum argument counts
//   are fixed; a row whose handler is null is declined like an unknown name
//   (its statement draws nothing). Calls with fewer arguments than the
//   minimum never reach the handler.
// - A handler is bool (*)(FormulaCall& call). It reads its arguments through
//   the call: ReadSeries(i, view) for a series (false when argument i is a
//   scalar, or no series of this host), ReadNumber(i, x) for a scalar
//   (false for strings and series), Count() for the number of arguments.
// - It returns a series by taking a buffer from the host's pool with
//   NewSeries(count) (contents are whatever the last user left: write every
//   element, kInvalidValue where there is no value) and handing it back with
//   ReturnSeries(buffer, count); a scalar with ReturnNumber or ReturnInteger;
//   a copy of an argument with ReturnArgument(i). Then it returns true.
//   Returning false declines the call: the statement ends and draws nothing.
// - The host's variables (OPEN, HIGH, LOW, CLOSE, VOL, CAPITAL and the rest
//   the calculator binds) are read with GetVariable or ReadVariableSeries.
//   ZIG's first argument arrives already replaced by OPEN, HIGH, LOW or CLOSE
//   when it was a number 0 to 3 (truncated).
// - Math() is the shared SeriesMath; the element-wise operators live in
//   formula/SeriesMath.h.
// - kDrawLineHandler computes DRAWLINE for statements that are not drawn; it
//   always receives five arguments (missing ones empty).
#include "formula/SeriesMath.h"
#include "formula/SeriesValue.h"

#include <cstdint>

class CScriptAcceptor;

// One call of a built-in: its arguments, its result and the host behind them.
class FormulaCall
{
public:
    FormulaCall(CScriptAcceptor& host, const wchar_t* name, VARIANT* arguments, int count, VARIANT* result)
        : m_host(host)
        , m_name(name)
        , m_arguments(arguments)
        , m_count(count)
        , m_result(result)
    {
    }

    const wchar_t* Name() const { return m_name; }
    int Count() const { return m_count; }
    // The raw argument; an empty value outside 0..Count()-1.
    const VARIANT& Argument(int index) const;
    bool IsSeries(int index) const;
    bool ReadSeries(int index, SeriesView& view) const;
    bool ReadNumber(int index, double& number) const;

    const SeriesMath& Math() const;
    // A pool buffer of count floats; throws std::bad_alloc when none can be had
    // (the host turns that into a failed statement).
    float* NewSeries(uint32_t count);
    void ReturnSeries(float* buffer, uint32_t count);
    void ReturnNumber(double number);
    void ReturnInteger(LONG number);
    void ReturnArgument(int index);
    // The host variable's value; false when the name is not bound.
    bool ReturnVariable(const wchar_t* name);

    bool GetVariable(const wchar_t* name, VARIANT* value) const;
    bool ReadVariableSeries(const wchar_t* name, SeriesView& view) const;

    CScriptAcceptor& Host() { return m_host; }

private:
    CScriptAcceptor& m_host;
    const wchar_t* m_name;
    VARIANT* m_arguments;
    int m_count;
    VARIANT* m_result;
};

using FormulaBuiltinHandler = bool (*)(FormulaCall& call);

struct FormulaBuiltin
{
    const wchar_t* name; // null ends a table
    int minimumArguments;
    FormulaBuiltinHandler handler; // null: declined
};

// The built-ins in dispatch order, ended by a row with a null name.
extern const FormulaBuiltin kFormulaBuiltins[];
// DRAWLINE inside a statement that is not drawn; null: declined.
extern const FormulaBuiltinHandler kDrawLineHandler;

// The row of name (exact, case-sensitive) in table, or null.
const FormulaBuiltin* FindFormulaBuiltin(const wchar_t* name, const FormulaBuiltin* table = kFormulaBuiltins);
