// Expressions of the script language over OLE Automation values; the first
// registered callback may take over every operator.
#include "formula/ScriptEngine.h"

#include <cwchar>

namespace {
using K = ScriptTokenKind;
const LCID kEnglishUnitedStates = 1033;

bool IsNumber(VARTYPE type)
{
    switch (type) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL:
        return true;
    default:
        return false;
    }
}
}

struct CScriptEngine::ArgumentArray
{
    VARIANT values[kMaxArguments];

    ArgumentArray() { std::memset(values, 0, sizeof values); }
    ~ArgumentArray()
    {
        for (VARIANT& value : values)
            ::VariantClear(&value);
    }
};

bool CScriptEngine::IsTrue(const ScriptValue& value)
{
    return (*value).vt == VT_BOOL && (*value).boolVal == VARIANT_TRUE;
}

bool CScriptEngine::VariantEquals(const VARIANT& a, const VARIANT& b)
{
    if (a.vt != b.vt)
        return false;
    switch (a.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return true;
    case VT_I2:
    case VT_BOOL:
    case VT_UI2:
        return a.uiVal == b.uiVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        return a.ulVal == b.ulVal;
    case VT_R4:
        return a.fltVal == b.fltVal;
    case VT_R8:
    case VT_DATE:
        return a.dblVal == b.dblVal;
    case VT_CY:
    case VT_I8:
    case VT_UI8:
        return a.ullVal == b.ullVal;
    case VT_BSTR: {
        const UINT lengthA = a.bstrVal ? ::SysStringByteLen(a.bstrVal) : 0;
        const UINT lengthB = b.bstrVal ? ::SysStringByteLen(b.bstrVal) : 0;
        return lengthA == lengthB && (lengthA == 0 || std::memcmp(a.bstrVal, b.bstrVal, lengthA) == 0);
    }
    case VT_DECIMAL:
        return std::memcmp(&a, &b, sizeof a) == 0;
    case VT_I1:
    case VT_UI1:
        return a.bVal == b.bVal;
    default:
        Raise(kTypeMismatch);
    }
}

void CScriptEngine::ParseExpressionList(ScriptValue& value)
{
    ParseLogic(value);
    while (Kind() == K::kComma) {
        NextToken();
        ParseLogic(value);
    }
}

void CScriptEngine::ParseLogic(ScriptValue& value)
{
    NestingGuard guard(*this);
    ParseCompare(value);
    for (;;) {
        Operator op;
        if (Kind() == K::kAnd)
            op = Operator::kAnd;
        else if (Kind() == K::kOr)
            op = Operator::kOr;
        else if (Kind() == K::kXor)
            op = Operator::kXor;
        else
            return;
        NextToken();
        ScriptValue right;
        ParseCompare(right);
        ApplyLogic(op, value, right);
    }
}

void CScriptEngine::ParseCompare(ScriptValue& value)
{
    ParseAddSub(value);
    while (Kind() == K::kOperator) {
        wchar_t text[ScriptToken::kTextSize];
        std::wcscpy(text, m_token.text);
        NextToken();
        ScriptValue right;
        ParseAddSub(right);
        ApplyCompare(text, value, right);
    }
}

void CScriptEngine::ParseAddSub(ScriptValue& value)
{
    ParseMulDiv(value);
    while (Kind() == K::kAddSign || Kind() == K::kSubSign) {
        const Operator op = Kind() == K::kAddSign ? Operator::kAdd : Operator::kSubtract;
        NextToken();
        ScriptValue right;
        ParseMulDiv(right);
        ApplyArithmetic(op, value, right);
    }
}

void CScriptEngine::ParseMulDiv(ScriptValue& value)
{
    ParseNot(value);
    while (Kind() == K::kStar || Kind() == K::kSlash) {
        const Operator op = Kind() == K::kStar ? Operator::kMultiply : Operator::kDivide;
        NextToken();
        ScriptValue right;
        ParseNot(right);
        ApplyArithmetic(op, value, right);
    }
}

// The not-operator is written after its operand.
void CScriptEngine::ParseNot(ScriptValue& value)
{
    ParseUnary(value);
    while (Kind() == K::kNot) {
        VARIANT result;
        std::memset(&result, 0, sizeof result);
        Check(::VarNot(value.get(), &result));
        ZeroVariantReserved(result);
        value.Take(result);
        NextToken();
    }
}

void CScriptEngine::ParseUnary(ScriptValue& value)
{
    bool negate = false;
    if (Kind() == K::kAddSign || Kind() == K::kSubSign) {
        negate = Kind() == K::kSubSign; // a leading "+" leaves its operand as it is
        NextToken();
    }
    ParsePostfix(value);
    if (!negate)
        return;
    IScriptCallback* hooks = m_callbackCount > 0 ? m_callbacks[0].callback : nullptr;
    if (hooks && hooks->OnNegate(value.get(), value.get()))
        return;
    VARIANT result;
    std::memset(&result, 0, sizeof result);
    Check(::VarNeg(value.get(), &result));
    ZeroVariantReserved(result);
    value.Take(result);
}

void CScriptEngine::ParsePostfix(ScriptValue& value)
{
    switch (Kind()) {
    case K::kName:
        ParseName(value);
        if (Kind() == K::kDot) {
            ParseConversion(value);
        } else if (Kind() == K::kIncrement || Kind() == K::kDecrement) {
            // The value one up or down; the variable itself changes only in the
            // statement form.
            VARIANT one;
            std::memset(&one, 0, sizeof one);
            one.vt = VT_I4;
            one.lVal = 1;
            VARIANT result;
            std::memset(&result, 0, sizeof result);
            Check(Kind() == K::kIncrement ? ::VarAdd(value.get(), &one, &result)
                                          : ::VarSub(value.get(), &one, &result));
            ZeroVariantReserved(result);
            value.Take(result);
            NextToken();
        }
        return;
    case K::kOpenParen:
        NextToken();
        ParseLogic(value);
        ExpectToken(K::kCloseParen, kParensMixup);
        NextToken();
        return;
    case K::kInteger: {
        long long number = 0;
        for (const wchar_t* p = m_token.text; *p; ++p) {
            number = number * 10 + (*p - L'0');
            if (number > 0x7FFFFFFFLL)
                Raise(kTypeMismatch);
        }
        value.SetInt(static_cast<LONG>(number));
        NextToken();
        return;
    }
    case K::kReal: {
        double number = 0;
        Check(::VarR8FromStr(m_token.text, kEnglishUnitedStates, 0, &number));
        value.SetDouble(number);
        NextToken();
        return;
    }
    case K::kString: {
        BSTR text = ::SysAllocStringLen(m_token.string.data(), static_cast<UINT>(m_token.string.size()));
        if (!text)
            Raise(kTypeMismatch);
        value.Clear();
        (*value).vt = VT_BSTR;
        (*value).bstrVal = text;
        NextToken();
        return;
    }
    default:
        // Any other token is passed over and leaves the value as it was.
        NextToken();
        return;
    }
}

// value.toString(), .toDate(), .toInteger() or .toNumber(); one per operand.
void CScriptEngine::ParseConversion(ScriptValue& value)
{
    NextToken();
    ExpectToken(K::kName, kNameExpected);
    const wchar_t* member = m_token.text;
    VARTYPE target;
    if (std::wcscmp(member, L"toString") == 0)
        target = VT_BSTR;
    else if (std::wcscmp(member, L"toDate") == 0)
        target = VT_DATE;
    else if (std::wcscmp(member, L"toInteger") == 0)
        target = VT_I4;
    else if (std::wcscmp(member, L"toNumber") == 0)
        target = VT_R8;
    else
        Raise(kUndefined);
    NextToken();
    ExpectToken(K::kOpenParen, kParensMixup);
    NextToken();
    ExpectToken(K::kCloseParen, kParensMixup);
    NextToken();
    if (target == VT_R8)
        Check(::VariantChangeTypeEx(value.get(), value.get(), kEnglishUnitedStates, 0, VT_R8));
    else
        Check(::VariantChangeType(value.get(), value.get(), 0, target));
    ZeroVariantReserved(*value);
}

void CScriptEngine::ReadHostVariable(const wchar_t* name, ScriptValue& value)
{
    for (int i = 0; i < m_callbackCount; ++i) {
        if (m_callbacks[i].name[0] != 0)
            continue;
        ScriptValue result;
        if (m_callbacks[i].callback->GetVariable(name, result.get())) {
            if (result.type() == VT_ERROR || result.type() == VT_UNKNOWN)
                Raise(kError);
            value.Take(result);
            return;
        }
    }
    Raise(kUndefined);
}

void CScriptEngine::ParseName(ScriptValue& value)
{
    const ScriptToken name = m_token;
    const int variable = FindVariable(name.text);
    if (variable >= 0) {
        Check(::VariantCopy(value.get(), &m_variables[variable].value));
        NextToken();
        return;
    }
    if (IScriptCallback* callback = FindNamedCallback(name.text)) {
        NextToken();
        ExpectToken(K::kDot, kNameExpected);
        NextToken();
        ExpectToken(K::kName, kNameExpected);
        const ScriptToken member = m_token;
        NextToken();
        ScriptValue result;
        bool accepted;
        if (Kind() == K::kOpenParen) {
            NextToken();
            ArgumentArray arguments;
            const int count = ParseArguments(arguments);
            accepted = callback->CallFunction(member.text, arguments.values, count, result.get());
        } else {
            accepted = callback->GetVariable(member.text, result.get());
        }
        if (!accepted)
            Raise(kUndefined);
        if (result.type() == VT_ERROR)
            Raise(kError);
        value.Take(result);
        return;
    }
    NextToken();
    if (Kind() != K::kOpenParen) {
        ReadHostVariable(name.text, value);
        return;
    }
    NextToken();
    ArgumentArray arguments;
    const int count = ParseArguments(arguments);
    const int function = FindFunction(name.text);
    if (function >= 0) {
        CallScriptFunction(function, arguments, count, value);
        return;
    }
    for (int i = 0; i < m_callbackCount; ++i) {
        if (m_callbacks[i].name[0] != 0)
            continue;
        ScriptValue result;
        if (m_callbacks[i].callback->CallFunction(name.text, arguments.values, count, result.get())) {
            if (result.type() == VT_ERROR)
                Raise(kError);
            value.Take(result);
            return;
        }
    }
    Raise(kUndefined);
}

// Current token: the first after "("; leaves the token after ")" current.
int CScriptEngine::ParseArguments(ArgumentArray& arguments)
{
    int count = 0;
    while (Kind() != K::kCloseParen) {
        if (count == kMaxArguments)
            Raise(kTooManyParameters);
        ScriptValue argument;
        ParseLogic(argument);
        ::VariantClear(&arguments.values[count]);
        arguments.values[count] = *argument;
        std::memset(argument.get(), 0, sizeof(VARIANT));
        ++count;
        if (Kind() == K::kComma)
            NextToken();
        else
            ExpectToken(K::kCloseParen, kParensMixup);
    }
    NextToken();
    return count;
}

void CScriptEngine::CallScriptFunction(int index, ArgumentArray& arguments, int count, ScriptValue& result)
{
    const int depth = m_depth;
    PushFrame(true);
    m_lexer.state = m_functions[index].start;
    result.Clear();
    try {
        NextToken();
        int next = 0;
        while (Kind() == K::kName) {
            // Missing arguments are empty; extra ones are ignored.
            DeclareVariable(m_token.text, next < count ? &arguments.values[next] : nullptr);
            ++next;
            NextToken();
            if (Kind() == K::kComma)
                NextToken();
            else
                ExpectToken(K::kCloseParen, kParensMixup);
        }
        ExpectToken(K::kCloseParen, kParensMixup);
        NextToken();
        ExpectToken(K::kOpenBrace, kParensMixup);
        RunStatementList(K::kCloseBrace);
    } catch (EXCEP code) {
        if (code != kUnscopedReturn)
            throw;
        Check(::VariantCopy(result.get(), &m_frames[depth].returnValue));
    }
    PopFrame(depth); // back at the call site, with the token after ")" current
}

bool CScriptEngine::OfferHook(Operator op, VARIANT* left, VARIANT* right)
{
    if (m_callbackCount == 0)
        return false;
    IScriptCallback* hooks = m_callbacks[0].callback;
    switch (op) {
    case Operator::kAdd:
        return hooks->OnAdd(left, right, left);
    case Operator::kSubtract:
        return hooks->OnSubtract(left, right, left);
    case Operator::kMultiply:
        return hooks->OnMultiply(left, right, left);
    case Operator::kDivide:
        return hooks->OnDivide(left, right, left);
    case Operator::kEqual:
        return hooks->OnEqual(left, right, left);
    case Operator::kNotEqual:
        return hooks->OnNotEqual(left, right, left);
    case Operator::kLess:
        return hooks->OnLess(left, right, left);
    case Operator::kLessEqual:
        return hooks->OnLessEqual(left, right, left);
    case Operator::kGreater:
        return hooks->OnGreater(left, right, left);
    case Operator::kGreaterEqual:
        return hooks->OnGreaterEqual(left, right, left);
    case Operator::kAnd:
        return hooks->OnAnd(left, right, left);
    case Operator::kOr:
        return hooks->OnOr(left, right, left);
    case Operator::kXor:
        return hooks->OnXor(left, right, left);
    }
    return false;
}

void CScriptEngine::ApplyArithmetic(Operator op, ScriptValue& left, ScriptValue& right)
{
    if (OfferHook(op, left.get(), right.get()))
        return;
    VARIANT result;
    std::memset(&result, 0, sizeof result);
    switch (op) {
    case Operator::kAdd:
    case Operator::kSubtract:
        // A string on the left concatenates; a number adds the right side read as a number.
        // Two numbers are left to the arithmetic, which widens: 1 + 0.05 is not 1.
        if (left.type() != right.type() && !(IsNumber(left.type()) && IsNumber(right.type()))) {
            Check(::VariantChangeType(right.get(), right.get(), 0, left.type()));
            ZeroVariantReserved(*right);
        }
        Check(op == Operator::kAdd ? ::VarAdd(left.get(), right.get(), &result)
                                   : ::VarSub(left.get(), right.get(), &result));
        break;
    case Operator::kMultiply:
        Check(::VarMul(left.get(), right.get(), &result));
        break;
    default:
        Check(::VarDiv(left.get(), right.get(), &result));
        break;
    }
    ZeroVariantReserved(result);
    left.Take(result);
}

void CScriptEngine::ApplyCompare(const wchar_t* text, ScriptValue& left, ScriptValue& right)
{
    Operator op;
    if (std::wcscmp(text, L"=") == 0)
        op = Operator::kEqual;
    else if (std::wcscmp(text, L"!=") == 0 || std::wcscmp(text, L"<>") == 0)
        op = Operator::kNotEqual;
    else if (std::wcscmp(text, L"<") == 0)
        op = Operator::kLess;
    else if (std::wcscmp(text, L"<=") == 0)
        op = Operator::kLessEqual;
    else if (std::wcscmp(text, L">") == 0)
        op = Operator::kGreater;
    else if (std::wcscmp(text, L">=") == 0)
        op = Operator::kGreaterEqual;
    else {
        // Operators the language does not know yield the right operand.
        Check(::VariantCopy(left.get(), right.get()));
        return;
    }
    if (OfferHook(op, left.get(), right.get()))
        return;
    // A failing comparison counts as neither less, equal nor greater.
    const HRESULT r = ::VarCmp(left.get(), right.get(), LOCALE_USER_DEFAULT, 0);
    bool outcome = false;
    switch (op) {
    case Operator::kEqual:
        outcome = r == VARCMP_EQ;
        break;
    case Operator::kNotEqual:
        outcome = r != VARCMP_EQ;
        break;
    case Operator::kLess:
        outcome = r == VARCMP_LT;
        break;
    case Operator::kLessEqual:
        outcome = r == VARCMP_LT || r == VARCMP_EQ;
        break;
    case Operator::kGreater:
        outcome = r == VARCMP_GT;
        break;
    default:
        outcome = r == VARCMP_GT || r == VARCMP_EQ;
        break;
    }
    left.SetBool(outcome);
}

void CScriptEngine::ApplyLogic(Operator op, ScriptValue& left, ScriptValue& right)
{
    if (OfferHook(op, left.get(), right.get()))
        return;
    VARIANT result;
    std::memset(&result, 0, sizeof result);
    if (op == Operator::kAnd)
        Check(::VarAnd(left.get(), right.get(), &result));
    else if (op == Operator::kOr)
        Check(::VarOr(left.get(), right.get(), &result));
    else
        Check(::VarXor(left.get(), right.get(), &result));
    ZeroVariantReserved(result);
    left.Take(result);
}
