#pragma once
// The formula host: runs compiled formula statements in its own script
// engine, keeps the formula's variables, gives series their arithmetic,
// dispatches the built-in functions and records the output calls' arguments
// for the calculator to measure and draw.
//
// A value is taken as a series only when it carries the marker and points to
// one of this host's pool buffers or to an array bound with SetSeriesVariable
// that holds its count: a number with stale reserved words is still a number.
// Used by one thread at a time; it takes no lock.
#include "formula/FormulaBuiltins.h"
#include "formula/FormulaStatement.h"
#include "formula/FormulaVariant.h"
#include "formula/ScriptInterfaces.h"
#include "formula/SeriesBufferPool.h"
#include "formula/SeriesMath.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class IndicatorPainter;
class PriceSeriesSource;

class CScriptAcceptor : public IScriptCallback, public SeriesStore
{
public:
    CScriptAcceptor();
    // Detaches the engine when that was not done.
    virtual ~CScriptAcceptor();

    // Creates the engine with this host as its first, default callback and an
    // empty pool. The painter is not kept; the source is kept for the
    // calculator. False when the engine cannot be made.
    bool AttachEngine(const SeriesMath* math, IndicatorPainter* painter, PriceSeriesSource* source);
    // Releases the engine and every pool buffer. True.
    bool DetachEngine();
    // Empties the variables and frees the pool buffers that only they used;
    // what the last run recorded stays until the next run. True.
    bool ClearVariables();
    // Binds name to count floats at data, not copied: they must outlive the run.
    // The whole value is replaced. True.
    bool SetSeriesVariable(const wchar_t* name, float* data, uint32_t count);
    // Binds name to a VT_R8 number, replacing the whole value (a series bound
    // under the same name before included). True.
    bool SetScalarVariable(const wchar_t* name, double value);
    // Runs each statement (an inlined one is skipped) after emptying its
    // values, then frees the buffers it left without references. A failing
    // statement keeps what it recorded before failing. False when the list is
    // empty or no engine is attached.
    bool Run(std::vector<FormulaStatement>& statements);

    // The host's view of a value: see the class comment.
    bool ReadSeries(const VARIANT& value, SeriesView& view) const { return ::ReadSeries(value, *this, view); }
    // The variable's value, or null.
    const VARIANT* FindVariable(const wchar_t* name) const;
    // The same, a name not bound yet asked of the supplier first.
    const VARIANT* LookUpVariable(const wchar_t* name);
    // Not owned; null: none.
    void SetSeriesSupplier(SeriesSupplier* supplier) { m_supplier = supplier; }
    const FormulaValueList& GetRunValues() const { return m_runValues; }
    const SeriesBufferPool* GetPool() const { return m_pool.get(); }
    PriceSeriesSource* GetSource() const { return m_source; }
    const SeriesMath& GetMath() const;
    // Another dispatch table (ended by a row with a null name) and DRAWLINE
    // handler in place of the built-in ones; for hosts with their own functions.
    void SetBuiltinTable(const FormulaBuiltin* table, FormulaBuiltinHandler drawLine)
    {
        m_builtins = table;
        m_drawLine = drawLine;
    }

    // SeriesStore
    bool OwnsSeries(const float* data, uint32_t count) const override;
    float* NewSeries(uint32_t count) override;

    // IScriptCallback
    bool GetVariable(const wchar_t* name, VARIANT* value) override;
    bool SetVariable(const wchar_t* name, VARIANT value) override;
    bool CallFunction(const wchar_t* name, VARIANT* arguments, int count, VARIANT* result) override;
    bool OnAdd(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnSubtract(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnMultiply(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnDivide(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnEqual(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnNotEqual(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnLess(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnLessEqual(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnGreater(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnGreaterEqual(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnAnd(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnOr(VARIANT* left, VARIANT* right, VARIANT* result) override;
    // "~": both zero on series; two scalars are left to the engine's own xor.
    bool OnXor(VARIANT* left, VARIANT* right, VARIANT* result) override;
    bool OnNegate(VARIANT* value, VARIANT* result) override;

private:
    CScriptAcceptor(const CScriptAcceptor&) = delete;
    CScriptAcceptor& operator=(const CScriptAcceptor&) = delete;

    // A name's slot outlives a rebinding of the variables: a calculator binds
    // the same names before every run, and keeping their nodes spares the
    // heap. A slot not bound since the variables were last emptied holds
    // nothing and reads as no variable at all; one left so through a whole
    // run goes when they are emptied again.
    // Names in ordinal order, compared in place: a lookup by a C string
    // neither builds a string nor measures one first.
    struct NameLess
    {
        using is_transparent = void;
        static bool Less(const wchar_t* a, const wchar_t* b)
        {
            while (*a && *a == *b) {
                ++a;
                ++b;
            }
            return static_cast<uint32_t>(*a) < static_cast<uint32_t>(*b);
        }
        bool operator()(const std::wstring& a, const std::wstring& b) const { return Less(a.c_str(), b.c_str()); }
        bool operator()(const std::wstring& a, const wchar_t* b) const { return Less(a.c_str(), b); }
        bool operator()(const wchar_t* a, const std::wstring& b) const { return Less(a, b.c_str()); }
    };
    struct Variable
    {
        FormulaVariant value;
        bool bound = false;
    };
    struct BoundArray
    {
        std::wstring name;
        const float* data; // null: not bound now
        uint32_t count;
    };
    // A windowed call: its built-in's row and each argument's kind, raw bits
    // and series length.
    struct CallKey
    {
        static const int kMaxArguments = 4;
        struct Argument
        {
            wchar_t kind; // 's'eries, 'd'ouble or 'i'nteger
            uint32_t count;
            uint64_t bits;
        };
        const FormulaBuiltin* builtin;
        int count;
        Argument arguments[kMaxArguments];
        bool operator<(const CallKey& other) const;
    };

    // The variable's slot, its present value no longer counted as a reference.
    FormulaVariant& VariableToReplace(const wchar_t* name);
    void ClearRunValues();
    bool Operator(SeriesOperator op, VARIANT* left, VARIANT* right, VARIANT* result);
    bool CallBuiltin(
        const FormulaBuiltin& builtin, const wchar_t* name, VARIANT* arguments, int count, VARIANT* result);
    bool HandleOutput(const wchar_t* name, VARIANT* arguments, int count, VARIANT* result);
    // A call's identity for reuse within one run. False when an argument is
    // of a kind that cannot be compared that way, or there are too many.
    bool IdentifyCall(const FormulaBuiltin& builtin, const VARIANT* arguments, int count, CallKey& key) const;
    void ForgetCalls();
    // Forgets the remembered calls that took data as an argument.
    void ForgetCallsReading(const float* data);

    // A windowed built-in reads nothing but its arguments, and no series is
    // written after it is made, so within one run the same call on the same
    // buffers and numbers gives the same result. The entry holds references
    // on the argument buffers and the result, so none of them is recycled
    // (which would let a new series take an old key) while it is kept.
    struct RememberedCall
    {
        std::vector<FormulaVariant> arguments;
        FormulaVariant result;
    };
    std::map<CallKey, RememberedCall> m_calls;
    // Nodes of forgotten calls, reused for the next ones, up to kSpareCalls.
    static const size_t kSpareCalls = 64;
    std::vector<std::map<CallKey, RememberedCall>::node_type> m_spareCalls;
    // Forgets one remembered call, keeping its node for a later one.
    void ForgetCall(std::map<CallKey, RememberedCall>::iterator call);

    IBaseScript* m_engine;
    PriceSeriesSource* m_source;
    const SeriesMath* m_math;
    std::unique_ptr<SeriesBufferPool> m_pool;
    FormulaStatement* m_current;
    std::map<std::wstring, Variable, NameLess> m_variables;
    FormulaValueList m_runValues;
    // The arrays bound by name, a few price series; a rebinding replaces its
    // name's entry.
    std::vector<BoundArray> m_boundArrays;
    const FormulaBuiltin* m_builtins;
    FormulaBuiltinHandler m_drawLine;
    SeriesSupplier* m_supplier;
};
