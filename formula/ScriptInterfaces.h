#pragma once
// The script engine's two faces: the operations a host calls (IBaseScript) and
// the host object the engine calls back (IScriptCallback). The slot order of
// both is fixed; hosts build on it.
#include <windows.h>
#include <oleauto.h>

class IScriptCallback
{
public:
    // Every operation returns false when the host declines the request.
    virtual bool GetVariable(const wchar_t* name, VARIANT* value) = 0;
    // The value is a bitwise copy that the engine still owns: copy it to keep it.
    virtual bool SetVariable(const wchar_t* name, VARIANT value) = 0;
    virtual bool CallFunction(const wchar_t* name, VARIANT* arguments, int count, VARIANT* result) = 0;
    // Operator hooks: only the first registered callback receives them. The
    // engine passes the left operand's own VARIANT as the result.
    virtual bool OnAdd(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnSubtract(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnMultiply(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnDivide(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnEqual(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnNotEqual(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnLess(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnLessEqual(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnGreater(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnGreaterEqual(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnAnd(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnOr(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnXor(VARIANT* left, VARIANT* right, VARIANT* result) = 0;
    virtual bool OnNegate(VARIANT* value, VARIANT* result) = 0;

protected:
    // Callbacks are never deleted through this interface.
    ~IScriptCallback() { }
};

class IBaseScript
{
public:
    virtual ~IBaseScript() { }
    virtual void Reset() = 0;
    // May be called from another thread: the run stops after its current statement.
    virtual void Stop() = 0;
    // The Execute operations return true when the run left no error message.
    virtual bool Execute(const char* text) = 0;
    virtual bool ExecuteWide(const wchar_t* text) = 0;
    virtual bool ExecuteFile(const char* path) = 0;
    virtual bool Evaluate(const char* text, VARIANT* result) = 0;
    // False when the callback table is full.
    virtual bool AddCallback(const char* name, IScriptCallback* callback) = 0;
    virtual bool AddDefaultCallback(IScriptCallback* callback) = 0;
    // Every buffer that is not null receives a terminated copy, cut to its size.
    virtual void GetError(int* line, char* message, int messageSize, char* token, int tokenSize,
        char* lineText, int lineTextSize)
        = 0;
};

// S_OK, E_OUTOFMEMORY (and a null engine) or E_POINTER.
HRESULT CreateScriptEngine(IBaseScript** engine);
// Deletes the engine and nulls the pointer; nothing for a null pointer. Returns 0.
HRESULT ReleaseScriptEngine(IBaseScript** engine);
