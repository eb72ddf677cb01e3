#include "formula/FormulaBuiltins.h"

#include "formula/ScriptAcceptor.h"

#include <cstring>
#include <cwchar>

namespace {
const VARIANT& EmptyValue()
{
    static VARIANT empty; // zero-initialised: VT_EMPTY, no marker
    return empty;
}
}

const VARIANT& FormulaCall::Argument(int index) const
{
    if (index < 0 || index >= m_count)
        return EmptyValue();
    return m_arguments[index];
}

bool FormulaCall::IsSeries(int index) const
{
    SeriesView view;
    return ReadSeries(index, view);
}

bool FormulaCall::ReadSeries(int index, SeriesView& view) const
{
    return m_host.ReadSeries(Argument(index), view);
}

bool FormulaCall::ReadNumber(int index, double& number) const
{
    return ReadScalar(Argument(index), number);
}

const SeriesMath& FormulaCall::Math() const
{
    return m_host.GetMath();
}

float* FormulaCall::NewSeries(uint32_t count)
{
    return m_host.NewSeries(count);
}

void FormulaCall::ReturnSeries(float* buffer, uint32_t count)
{
    WriteSeries(*m_result, buffer, count);
}

void FormulaCall::ReturnNumber(double number)
{
    WriteScalar(*m_result, number);
}

void FormulaCall::ReturnInteger(LONG number)
{
    WriteInteger(*m_result, number);
}

void FormulaCall::ReturnArgument(int index)
{
    if (FAILED(CopyFormulaValue(*m_result, Argument(index))))
        throw std::bad_alloc();
}

bool FormulaCall::ReturnVariable(const wchar_t* name)
{
    return m_host.GetVariable(name, m_result);
}

bool FormulaCall::GetVariable(const wchar_t* name, VARIANT* value) const
{
    return m_host.GetVariable(name, value);
}

bool FormulaCall::ReadVariableSeries(const wchar_t* name, SeriesView& view) const
{
    const VARIANT* value = m_host.LookUpVariable(name);
    return value && m_host.ReadSeries(*value, view);
}

const FormulaBuiltin* FindFormulaBuiltin(const wchar_t* name, const FormulaBuiltin* table)
{
    if (!name || !table)
        return nullptr;
    // The first letters are compared in place: most rows differ there, and a
    // call into the runtime for each would cost more than the rest.
    for (const FormulaBuiltin* row = table; row->name; ++row) {
        if (row->name[0] == name[0] && std::wcscmp(row->name, name) == 0)
            return row;
    }
    return nullptr;
}
