#include "formula/ScriptAcceptor.h"

#include "formula/FormulaKeywordList.h"

#include <cmath>
#include <cstring>
#include <cwchar>

namespace {

const SeriesMath kSharedMath;

// The price series ZIG's number selects.
const wchar_t* const kZigSeries[] = { L"OPEN", L"HIGH", L"LOW", L"CLOSE" };

// Arguments of a DRAWLINE computed in a statement that is not drawn.
const int kDrawLineArguments = 5;

// The built-ins whose result depends on their arguments alone.
const wchar_t* const kWindowedBuiltins[] = { L"MA", L"STD", L"EMA", L"EXPMA", L"SMA", L"SUM", L"HHV", L"LLV",
    L"REF", L"AVEDEV" };

bool IsWindowedBuiltin(const wchar_t* name)
{
    for (const wchar_t* windowed : kWindowedBuiltins) {
        if (std::wcscmp(name, windowed) == 0)
            return true;
    }
    return false;
}

template <typename T>
void AppendBits(std::wstring& key, const T& value)
{
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof bytes);
    for (unsigned char byte : bytes)
        key.push_back(static_cast<wchar_t>(byte + 1));
}

}

CScriptAcceptor::CScriptAcceptor()
    : m_engine(nullptr)
    , m_source(nullptr)
    , m_math(nullptr)
    , m_current(nullptr)
    , m_builtins(kFormulaBuiltins)
    , m_drawLine(kDrawLineHandler)
    , m_supplier(nullptr)
{
}

CScriptAcceptor::~CScriptAcceptor()
{
    if (m_engine)
        DetachEngine();
    m_calls.clear();
    m_runValues.clear();
    m_variables.clear();
}

bool CScriptAcceptor::AttachEngine(const SeriesMath* math, IndicatorPainter*, PriceSeriesSource* source)
{
    if (m_engine)
        DetachEngine();
    IBaseScript* engine = nullptr;
    if (FAILED(CreateScriptEngine(&engine)) || !engine)
        return false;
    if (!engine->AddDefaultCallback(this)) {
        ReleaseScriptEngine(&engine);
        return false;
    }
    m_engine = engine;
    m_pool.reset(new SeriesBufferPool());
    m_math = math;
    m_source = source;
    return true;
}

bool CScriptAcceptor::DetachEngine()
{
    ReleaseScriptEngine(&m_engine);
    ForgetCalls();
    m_pool.reset();
    return true;
}

bool CScriptAcceptor::ClearVariables()
{
    ForgetCalls();
    if (m_pool) {
        for (const auto& item : m_variables)
            m_pool->DropReference(item.second.get());
    }
    m_variables.clear();
    m_boundArrays.clear();
    // What the last run recorded stays in use until the next run clears it;
    // everything else is free and kept for that run.
    if (m_pool)
        m_pool->ReleaseUnreferenced();
    return true;
}

FormulaVariant& CScriptAcceptor::VariableToReplace(const wchar_t* name)
{
    FormulaVariant& slot = m_variables[name];
    if (m_pool)
        m_pool->DropReference(slot.get());
    return slot;
}

void CScriptAcceptor::ForgetCalls()
{
    if (m_pool) {
        for (const auto& item : m_calls) {
            for (const FormulaVariant& argument : item.second.arguments)
                m_pool->DropReference(argument.get());
            m_pool->DropReference(item.second.result.get());
        }
    }
    m_calls.clear();
}

void CScriptAcceptor::ForgetCallsReading(const float* data)
{
    for (auto item = m_calls.begin(); item != m_calls.end();) {
        bool reads = false;
        for (const FormulaVariant& argument : item->second.arguments)
            reads = reads || (HasSeriesMarker(argument.get()) && argument.get().byref == data);
        if (!reads) {
            ++item;
            continue;
        }
        if (m_pool) {
            for (const FormulaVariant& argument : item->second.arguments)
                m_pool->DropReference(argument.get());
            m_pool->DropReference(item->second.result.get());
        }
        item = m_calls.erase(item);
    }
}

bool CScriptAcceptor::IdentifyCall(const wchar_t* name, const VARIANT* arguments, int count, std::wstring& key) const
{
    key = name;
    key.push_back(L'(');
    for (int i = 0; i < count; ++i) {
        const VARIANT& argument = arguments[i];
        SeriesView series;
        if (ReadSeries(argument, series)) {
            key.push_back(L's');
            AppendBits(key, series.data);
            AppendBits(key, series.count);
        } else if (argument.vt == VT_R8) {
            key.push_back(L'd');
            AppendBits(key, argument.dblVal);
        } else if (argument.vt == VT_I4) {
            key.push_back(L'i');
            AppendBits(key, argument.lVal);
        } else {
            return false;
        }
    }
    return true;
}

void CScriptAcceptor::ClearRunValues()
{
    if (m_pool) {
        for (const FormulaVariant& value : m_runValues)
            m_pool->DropReference(value.get());
    }
    m_runValues.clear();
}

bool CScriptAcceptor::SetSeriesVariable(const wchar_t* name, float* data, uint32_t count)
{
    if (!name || (!data && count != 0) || count > kMaxSeriesCount)
        return false;
    // The array may be refilled in place between bindings: a call read from
    // it before must be made again. Calls on other series stand, so a price
    // bound when a run first reads it leaves what the run did so far usable.
    ForgetCallsReading(data);
    FormulaVariant& slot = VariableToReplace(name);
    WriteSeries(slot.get(), data, count);
    if (m_pool)
        m_pool->AddReference(slot.get());
    m_boundArrays[name] = BoundArray { data, count };
    return true;
}

bool CScriptAcceptor::SetScalarVariable(const wchar_t* name, double value)
{
    if (!name)
        return false;
    // The whole value: writing a number into a series' value field would
    // turn the number into a pointer.
    WriteScalar(VariableToReplace(name).get(), value);
    m_boundArrays.erase(name);
    return true;
}

bool CScriptAcceptor::Run(std::vector<FormulaStatement>& statements)
{
    if (statements.empty() || !m_engine)
        return false;
    ForgetCalls();
    ClearRunValues();
    for (FormulaStatement& statement : statements) {
        m_current = &statement;
        if (statement.inlined)
            continue;
        statement.values.clear();
        m_engine->ExecuteWide(statement.text.c_str());
        m_pool->ReleaseUnreferenced();
    }
    m_current = nullptr;
    return true;
}

const VARIANT* CScriptAcceptor::FindVariable(const wchar_t* name) const
{
    if (!name)
        return nullptr;
    const auto found = m_variables.find(name);
    return found == m_variables.end() ? nullptr : &found->second.get();
}

const VARIANT* CScriptAcceptor::LookUpVariable(const wchar_t* name)
{
    const VARIANT* found = FindVariable(name);
    if (found || !name || !m_supplier)
        return found;
    float* data = nullptr;
    uint32_t count = 0;
    if (!m_supplier->SupplySeries(name, &data, &count) || !SetSeriesVariable(name, data, count))
        return nullptr;
    return FindVariable(name);
}

const SeriesMath& CScriptAcceptor::GetMath() const
{
    return m_math ? *m_math : kSharedMath;
}

bool CScriptAcceptor::OwnsSeries(const float* data, uint32_t count) const
{
    if (!data)
        return false;
    if (m_pool) {
        if (const SeriesBufferPool::Entry* entry = m_pool->Find(data))
            return static_cast<size_t>(count) * sizeof(float) <= entry->capacity;
    }
    for (const auto& bound : m_boundArrays) {
        if (bound.second.data == data && count <= bound.second.count)
            return true;
    }
    return false;
}

float* CScriptAcceptor::NewSeries(uint32_t count)
{
    if (!m_pool)
        throw std::bad_alloc();
    if (count > kMaxSeriesCount)
        throw std::bad_alloc();
    return m_pool->Acquire(static_cast<size_t>(count) * sizeof(float));
}

bool CScriptAcceptor::GetVariable(const wchar_t* name, VARIANT* value)
{
    const VARIANT* found = LookUpVariable(name);
    if (!found || !value)
        return false;
    return SUCCEEDED(CopyFormulaValue(*value, *found));
}

bool CScriptAcceptor::SetVariable(const wchar_t* name, VARIANT value)
{
    if (!name)
        return false;
    FormulaVariant& slot = VariableToReplace(name);
    slot.Assign(value);
    if (m_pool)
        m_pool->AddReference(slot.get());
    return true;
}

bool CScriptAcceptor::CallFunction(const wchar_t* name, VARIANT* arguments, int count, VARIANT* result)
{
    if (!name || !result || count < 0 || (count > 0 && !arguments))
        return false;
    if (const FormulaBuiltin* builtin = FindFormulaBuiltin(name, m_builtins))
        return CallBuiltin(*builtin, name, arguments, count, result);
    return HandleOutput(name, arguments, count, result);
}

bool CScriptAcceptor::CallBuiltin(
    const FormulaBuiltin& builtin, const wchar_t* name, VARIANT* arguments, int count, VARIANT* result)
{
    if (count < builtin.minimumArguments || !builtin.handler)
        return false;
    // A number selects the price series ZIG works on; a series is worked on itself.
    if (std::wcscmp(name, L"ZIG") == 0) {
        double number = 0;
        if (ReadScalar(arguments[0], number) && std::fabs(number) < 4.0) {
            const int selector = static_cast<int>(number);
            if (selector >= 0 && selector <= 3) {
                VARIANT selected;
                std::memset(&selected, 0, sizeof selected);
                if (GetVariable(kZigSeries[selector], &selected)) {
                    ::VariantClear(&arguments[0]);
                    arguments[0] = selected;
                }
            }
        }
    }
    std::wstring key;
    const bool reusable = m_pool && m_builtins == kFormulaBuiltins && IsWindowedBuiltin(name) && IdentifyCall(name, arguments, count, key);
    if (reusable) {
        const auto found = m_calls.find(key);
        if (found != m_calls.end())
            return SUCCEEDED(CopyFormulaValue(*result, found->second.result.get()));
    }
    FormulaCall call(*this, name, arguments, count, result);
    if (!builtin.handler(call))
        return false;
    if (reusable) {
        RememberedCall& remembered = m_calls[key];
        for (int i = 0; i < count; ++i) {
            remembered.arguments.emplace_back(arguments[i]);
            m_pool->AddReference(remembered.arguments.back().get());
        }
        remembered.result.Assign(*result);
        m_pool->AddReference(remembered.result.get());
    }
    return true;
}

// Output calls: Excute, DRAWBASELINE and the draw functions record their
// arguments and answer with the first. Any other name is unknown: declining it
// makes its statement draw nothing rather than silently draw its first argument.
bool CScriptAcceptor::HandleOutput(const wchar_t* name, VARIANT* arguments, int count, VARIANT* result)
{
    if (std::wcscmp(name, L"Excute") != 0 && !FormulaKeywordList::IsDrawFunction(name))
        return false;
    if (m_current && m_current->notDrawn) {
        if (std::wcscmp(name, L"DRAWLINE") == 0) {
            if (!m_drawLine)
                return false;
            VARIANT padded[kDrawLineArguments];
            std::memset(padded, 0, sizeof padded);
            for (int i = 0; i < kDrawLineArguments && i < count; ++i)
                padded[i] = arguments[i]; // borrowed: the engine still owns them
            FormulaCall call(*this, name, padded, kDrawLineArguments, result);
            return m_drawLine(call);
        }
        if (std::wcscmp(name, L"STICKLINE") == 0 || std::wcscmp(name, L"DRAWTEXT") == 0
            || std::wcscmp(name, L"DRAWICON") == 0) {
            FormulaCall call(*this, name, arguments, count, result);
            call.ReturnArgument(0);
            return true;
        }
    }
    for (int i = 0; i < count; ++i) {
        m_runValues.emplace_back(arguments[i]);
        if (m_pool)
            m_pool->AddReference(m_runValues.back().get());
        if (m_current)
            m_current->values.emplace_back(arguments[i]);
    }
    FormulaCall call(*this, name, arguments, count, result);
    call.ReturnArgument(0);
    return true;
}

bool CScriptAcceptor::Operator(SeriesOperator op, VARIANT* left, VARIANT* right, VARIANT* result)
{
    if (!left || !right || !result)
        return false;
    return GetMath().Combine(op, *left, *right, *this, *result);
}

bool CScriptAcceptor::OnAdd(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kAdd, l, r, out);
}
bool CScriptAcceptor::OnSubtract(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kSub, l, r, out);
}
bool CScriptAcceptor::OnMultiply(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kMul, l, r, out);
}
bool CScriptAcceptor::OnDivide(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kDiv, l, r, out);
}
bool CScriptAcceptor::OnEqual(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kEqual, l, r, out);
}
bool CScriptAcceptor::OnNotEqual(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kNotEqual, l, r, out);
}
bool CScriptAcceptor::OnLess(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kLess, l, r, out);
}
bool CScriptAcceptor::OnLessEqual(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kLessEqual, l, r, out);
}
bool CScriptAcceptor::OnGreater(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kGreater, l, r, out);
}
bool CScriptAcceptor::OnGreaterEqual(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kGreaterEqual, l, r, out);
}
bool CScriptAcceptor::OnAnd(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kAnd, l, r, out);
}
bool CScriptAcceptor::OnOr(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kOr, l, r, out);
}
bool CScriptAcceptor::OnXor(VARIANT* l, VARIANT* r, VARIANT* out)
{
    return Operator(SeriesOperator::kBothZero, l, r, out);
}

bool CScriptAcceptor::OnNegate(VARIANT* value, VARIANT* result)
{
    if (!value || !result)
        return false;
    return GetMath().Negate(*value, *this, *result);
}
