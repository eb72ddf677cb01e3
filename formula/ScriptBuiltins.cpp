// The engine's own callback face: string, file and control functions that a
// host enables by registering the engine with itself.
#include "formula/ScriptEngine.h"

#include "base/UnicodeString.h"

#include <algorithm>
#include <cwchar>

namespace {

using K = ScriptTokenKind;

const LONG kInvalidHandle = -1;
const int kMaxLineBytes = 399;

bool IsString(const VARIANT& value)
{
    return value.vt == VT_BSTR && value.bstrVal != nullptr;
}

bool IsHandle(const VARIANT& value)
{
    return value.vt == VT_I4;
}

void SetResultString(VARIANT* result, const wchar_t* text, size_t length)
{
    BSTR value = ::SysAllocStringLen(text, static_cast<UINT>(length));
    ClearVariantWhole(*result);
    if (!value)
        return;
    result->vt = VT_BSTR;
    result->bstrVal = value;
}

void SetResultInt(VARIANT* result, LONG value)
{
    ClearVariantWhole(*result);
    result->vt = VT_I4;
    result->lVal = value;
}

void SetResultBool(VARIANT* result, bool value)
{
    ClearVariantWhole(*result);
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

size_t BstrLength(BSTR text)
{
    return text ? ::SysStringLen(text) : 0;
}

} // namespace

bool CScriptEngine::CallFunction(const wchar_t* name, VARIANT* arguments, int count, VARIANT* result)
{
    if (m_running)
        return CallBuiltin(name, arguments, count, result); // raised codes end this engine's own run
    // Called from outside a run of this engine: nothing may escape the call.
    RunningScope running(m_running);
    const int depth = m_depth;
    const ScriptLexerState saved = m_lexer.state;
    bool accepted = false;
    try {
        accepted = CallBuiltin(name, arguments, count, result);
    } catch (EXCEP code) {
        accepted = code == kStop;
    } catch (...) {
        accepted = false;
    }
    PopFrame(depth);
    m_lexer.state = saved;
    return accepted;
}

void CScriptEngine::ToBstrArgument(const VARIANT& argument, ScriptValue& text)
{
    Check(::VariantCopy(text.get(), const_cast<VARIANT*>(&argument)));
    if (text.type() != VT_BSTR) {
        Check(::VariantChangeType(text.get(), text.get(), 0, VT_BSTR));
        ZeroVariantReserved(*text);
    }
}

bool CScriptEngine::IsScriptFile(LONG handle) const
{
    if (handle == kInvalidHandle)
        return false;
    const HANDLE h = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(handle));
    return std::find(m_files.begin(), m_files.end(), h) != m_files.end();
}

void CScriptEngine::BuiltinEval(VARIANT* arguments, int count, VARIANT* result)
{
    if (count != 1 || !IsString(arguments[0]))
        Raise(kBadArguments);
    const int depth = m_depth;
    PushFrame(false);
    // The string stays alive for the call: the caller owns the argument array.
    m_lexer.SetText(arguments[0].bstrVal);
    NextToken();
    ScriptValue value;
    ParseExpressionList(value);
    PopFrame(depth); // the calling script's position, line and token again
    ClearVariantWhole(*result);
    *result = *value;
    std::memset(value.get(), 0, sizeof(VARIANT));
}

bool CScriptEngine::CallBuiltin(const wchar_t* name, VARIANT* arguments, int count, VARIANT* result)
{
    if (!name || !result)
        return false;
    const wchar_t first = name[0];
    if (first != L'a' && first != L'e' && first != L'f' && first != L's')
        return false;
    if (count < 0 || (count > 0 && !arguments))
        Raise(kBadArguments);

    if (std::wcscmp(name, L"atoi") == 0) {
        if (count != 1)
            Raise(kBadArguments);
        ScriptValue number;
        if (FAILED(::VariantChangeType(number.get(), &arguments[0], 0, VT_I4)))
            SetResultInt(result, 0);
        else
            SetResultInt(result, (*number).lVal);
        return true;
    }
    if (std::wcscmp(name, L"eval") == 0) {
        BuiltinEval(arguments, count, result);
        return true;
    }
    if (std::wcscmp(name, L"exit") == 0)
        Raise(kStop);
    if (std::wcscmp(name, L"fopen") == 0) {
        if (count != 2 || !IsString(arguments[0]) || !IsString(arguments[1]))
            Raise(kBadArguments);
        const wchar_t* mode = arguments[1].bstrVal;
        const bool append = std::wcschr(mode, L'a') != nullptr;
        const bool write = std::wcschr(mode, L'w') != nullptr;
        HANDLE file;
        if (append)
            file = ::CreateFileW(
                arguments[0].bstrVal, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        else if (write)
            file = ::CreateFileW(arguments[0].bstrVal, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                FILE_ATTRIBUTE_NORMAL, nullptr);
        else
            file = ::CreateFileW(arguments[0].bstrVal, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            SetResultInt(result, kInvalidHandle);
            return true;
        }
        if (append)
            ::SetFilePointer(file, 0, nullptr, FILE_END);
        m_files.emplace_back(file);
        SetResultInt(result, static_cast<LONG>(reinterpret_cast<LONG_PTR>(file)));
        return true;
    }
    // The other file functions take only handles that fopen returned, so a
    // script cannot reach the process's own handles.
    if (std::wcscmp(name, L"fclose") == 0) {
        if (count != 1 || !IsHandle(arguments[0]))
            Raise(kBadArguments);
        if (IsScriptFile(arguments[0].lVal)) {
            const HANDLE h = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(arguments[0].lVal));
            m_files.erase(std::find(m_files.begin(), m_files.end(), h)); // closes it
        }
        return true;
    }
    if (std::wcscmp(name, L"fgets") == 0) {
        if (count != 1 || !IsHandle(arguments[0]))
            Raise(kBadArguments);
        if (!IsScriptFile(arguments[0].lVal))
            return true;
        const HANDLE h = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(arguments[0].lVal));
        std::string line;
        for (;;) {
            char byte = 0;
            DWORD read = 0;
            if (!::ReadFile(h, &byte, 1, &read, nullptr) || read == 0 || byte == '\n')
                break;
            if (byte == '\r')
                continue;
            line.push_back(byte);
            if (static_cast<int>(line.size()) >= kMaxLineBytes)
                break;
        }
        const std::wstring wide = GbkToWide(line);
        SetResultString(result, wide.data(), wide.size());
        return true;
    }
    if (std::wcscmp(name, L"fputs") == 0) {
        if (count != 2 || !IsHandle(arguments[0]) || !IsString(arguments[1]))
            Raise(kBadArguments);
        bool written = false;
        if (IsScriptFile(arguments[0].lVal)) {
            const HANDLE h = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(arguments[0].lVal));
            std::string bytes = WideToGbk(std::wstring(arguments[1].bstrVal)); // up to the first NUL
            bytes += "\r\n";
            DWORD done = 0;
            written
                = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) && done > 0;
        }
        SetResultBool(result, written);
        return true;
    }
    if (std::wcscmp(name, L"feof") == 0) {
        if (count != 1 || !IsHandle(arguments[0]))
            Raise(kBadArguments);
        bool atEnd = true;
        if (IsScriptFile(arguments[0].lVal)) {
            const HANDLE h = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(arguments[0].lVal));
            LARGE_INTEGER size = {};
            LARGE_INTEGER zero = {};
            LARGE_INTEGER position = {};
            if (::GetFileSizeEx(h, &size) && ::SetFilePointerEx(h, zero, &position, FILE_CURRENT))
                atEnd = position.QuadPart >= size.QuadPart;
        }
        SetResultBool(result, atEnd);
        return true;
    }
    if (std::wcscmp(name, L"strlen") == 0) {
        if (count != 1)
            Raise(kBadArguments);
        ScriptValue text;
        ToBstrArgument(arguments[0], text);
        const BSTR s = (*text).bstrVal;
        SetResultInt(result, s ? static_cast<LONG>(std::wcslen(s)) : 0);
        return true;
    }
    if (std::wcscmp(name, L"strstr") == 0 || std::wcscmp(name, L"strpos") == 0) {
        if (count != 2 || !IsString(arguments[0]) || !IsString(arguments[1]))
            Raise(kBadArguments);
        const wchar_t* s = arguments[0].bstrVal;
        const wchar_t* found = std::wcsstr(s, arguments[1].bstrVal);
        if (name[3] == L's') {
            if (found)
                SetResultString(result, found, std::wcslen(found));
            else
                SetResultString(result, L"", 0);
        } else {
            SetResultInt(result, found ? static_cast<LONG>(found - s) : -1);
        }
        return true;
    }
    if (std::wcscmp(name, L"substr") == 0) {
        if (count < 2 || !IsString(arguments[0]))
            Raise(kBadArguments);
        const BSTR s = arguments[0].bstrVal;
        const LONG length = static_cast<LONG>(BstrLength(s));
        ScriptValue start;
        Check(::VariantChangeType(start.get(), &arguments[1], 0, VT_I4));
        LONG from = std::max<LONG>((*start).lVal, 0);
        LONG take = length;
        if (count == 3) {
            ScriptValue number;
            Check(::VariantChangeType(number.get(), &arguments[2], 0, VT_I4));
            take = std::max<LONG>((*number).lVal, 0);
        }
        if (from >= length) {
            SetResultString(result, L"", 0);
        } else {
            take = std::min<LONG>(take, length - from);
            SetResultString(result, s + from, static_cast<size_t>(take));
        }
        return true;
    }
    if (std::wcscmp(name, L"strupper") == 0 || std::wcscmp(name, L"strlower") == 0) {
        if (count != 1)
            Raise(kBadArguments);
        ScriptValue text;
        ToBstrArgument(arguments[0], text);
        BSTR s = (*text).bstrVal;
        const DWORD length = static_cast<DWORD>(BstrLength(s));
        const bool upper = name[3] == L'u';
        if (length > 0) {
            const DWORD done = upper ? ::CharUpperBuffW(s, length) : ::CharLowerBuffW(s, length);
            if (done == 0) {
                char* bytes = reinterpret_cast<char*>(s);
                if (upper)
                    ::CharUpperBuffA(bytes, length * 2);
                else
                    ::CharLowerBuffA(bytes, length * 2);
            }
        }
        ZeroVariantReserved(*text);
        ClearVariantWhole(*result);
        *result = *text;
        std::memset(text.get(), 0, sizeof(VARIANT));
        return true;
    }
    if (std::wcscmp(name, L"sleep") == 0) {
        if (count != 1)
            Raise(kBadArguments);
        ScriptValue milliseconds;
        Check(::VariantChangeType(milliseconds.get(), &arguments[0], 0, VT_I4));
        // Negative waits would be endless; a stopped run wakes at once.
        const DWORD wait = static_cast<DWORD>(std::max<LONG>((*milliseconds).lVal, 0));
        if (m_cancelEvent)
            ::WaitForSingleObject(m_cancelEvent, wait);
        else
            ::Sleep(wait);
        return true;
    }
    return false;
}
