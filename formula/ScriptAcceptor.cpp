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

// Whether two names are equal, compared in place.
bool SameName(const wchar_t* a, const wchar_t* b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// The built-ins whose result depends on their arguments alone.
const wchar_t* const kWindowedBuiltins[] = { L"MA", L"STD", L"EMA", L"EXPMA", L"SMA", L"SUM", L"HHV", L"LLV",
    L"REF", L"AVEDEV" };

bool IsWindowedBuiltin(const wchar_t* name)
{
    for (const wchar_t* windowed : kWindowedBuiltins) {
        if (SameName(name, windowed))
            return true;
    }
    return false;
}

template <typename T> uint64_t Bits(const T& value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    return bits;
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
    for (auto item = m_variables.begin(); item != m_variables.end();) {
        Variable& variable = item->second;
        if (!variable.bound) {
            item = m_variables.erase(item);
            continue;
        }
        if (m_pool)
            m_pool->DropReference(variable.value.get());
        variable.value = FormulaVariant();
        variable.bound = false;
        ++item;
    }
    for (BoundArray& bound : m_boundArrays) {
        bound.data = nullptr;
        bound.count = 0;
    }
    // What the last run recorded stays in use until the next run clears it;
    // everything else is free and kept for that run.
    if (m_pool)
        m_pool->ReleaseUnreferenced();
    return true;
}

FormulaVariant& CScriptAcceptor::VariableToReplace(const wchar_t* name)
{
    auto found = m_variables.find(name);
    if (found == m_variables.end())
        found = m_variables.emplace(name, Variable()).first;
    Variable& slot = found->second;
    if (m_pool)
        m_pool->DropReference(slot.value.get());
    slot.bound = true;
    return slot.value;
}

bool CScriptAcceptor::CallKey::operator<(const CallKey& other) const
{
    if (builtin != other.builtin)
        return std::less<const FormulaBuiltin*>()(builtin, other.builtin);
    if (count != other.count)
        return count < other.count;
    for (int i = 0; i < count; ++i) {
        const Argument& a = arguments[i];
        const Argument& b = other.arguments[i];
        if (a.kind != b.kind)
            return a.kind < b.kind;
        if (a.bits != b.bits)
            return a.bits < b.bits;
        if (a.count != b.count)
            return a.count < b.count;
    }
    return false;
}

void CScriptAcceptor::ForgetCall(std::map<CallKey, RememberedCall>::iterator call)
{
    RememberedCall& remembered = call->second;
    if (m_pool) {
        for (const FormulaVariant& argument : remembered.arguments)
            m_pool->DropReference(argument.get());
        m_pool->DropReference(remembered.result.get());
    }
    // A formula makes a few such calls; the nodes of a rare one with many
    // are not all kept.
    if (m_spareCalls.size() >= kSpareCalls) {
        m_calls.erase(call);
        return;
    }
    remembered.arguments.clear();
    remembered.result = FormulaVariant();
    m_spareCalls.push_back(m_calls.extract(call));
}

void CScriptAcceptor::ForgetCalls()
{
    if (m_spareCalls.capacity() < kSpareCalls)
        m_spareCalls.reserve(kSpareCalls);
    while (!m_calls.empty())
        ForgetCall(m_calls.begin());
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
        if (m_spareCalls.capacity() < kSpareCalls)
            m_spareCalls.reserve(kSpareCalls);
        ForgetCall(item++);
    }
}

bool CScriptAcceptor::IdentifyCall(
    const FormulaBuiltin& builtin, const VARIANT* arguments, int count, CallKey& key) const
{
    if (count > CallKey::kMaxArguments)
        return false;
    key.builtin = &builtin;
    key.count = count;
    for (int i = 0; i < count; ++i) {
        const VARIANT& argument = arguments[i];
        CallKey::Argument& part = key.arguments[i];
        SeriesView series;
        if (ReadSeries(argument, series)) {
            part = CallKey::Argument { L's', series.count, Bits(series.data) };
        } else if (argument.vt == VT_R8) {
            part = CallKey::Argument { L'd', 0, Bits(argument.dblVal) };
        } else if (argument.vt == VT_I4) {
            part = CallKey::Argument { L'i', 0, Bits(argument.lVal) };
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
    for (BoundArray& bound : m_boundArrays) {
        if (SameName(bound.name.c_str(), name)) {
            bound.data = data;
            bound.count = count;
            return true;
        }
    }
    m_boundArrays.push_back(BoundArray { name, data, count });
    return true;
}

bool CScriptAcceptor::SetScalarVariable(const wchar_t* name, double value)
{
    if (!name)
        return false;
    // The whole value: writing a number into a series' value field would
    // turn the number into a pointer.
    WriteScalar(VariableToReplace(name).get(), value);
    for (BoundArray& bound : m_boundArrays) {
        if (SameName(bound.name.c_str(), name)) {
            bound.data = nullptr;
            bound.count = 0;
        }
    }
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
    return found == m_variables.end() || !found->second.bound ? nullptr : &found->second.value.get();
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
    for (const BoundArray& bound : m_boundArrays) {
        if (bound.data == data && count <= bound.count)
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
    CallKey key;
    const bool reusable = m_pool && m_builtins == kFormulaBuiltins && IsWindowedBuiltin(name)
        && IdentifyCall(builtin, arguments, count, key);
    if (reusable) {
        const auto found = m_calls.find(key);
        if (found != m_calls.end())
            return SUCCEEDED(CopyFormulaValue(*result, found->second.result.get()));
    }
    FormulaCall call(*this, name, arguments, count, result);
    if (!builtin.handler(call))
        return false;
    if (reusable) {
        std::map<CallKey, RememberedCall>::iterator entry;
        if (m_spareCalls.empty()) {
            entry = m_calls.emplace(key, RememberedCall()).first;
        } else {
            auto node = std::move(m_spareCalls.back());
            m_spareCalls.pop_back();
            node.key() = key;
            entry = m_calls.insert(std::move(node)).position;
        }
        RememberedCall& remembered = entry->second;
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
