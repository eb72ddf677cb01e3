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

template <class Operation> void CScriptEngine::ApplyOle(ScriptValue& value, Operation operation)
{
    VARIANT result;
    std::memset(&result, 0, sizeof result);
    Check(operation(&result));
    ZeroVariantReserved(result);
    value.Take(result);
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

// list := logic { "," logic }; the value is the last one's.
void CScriptEngine::ParseExpressionList(ScriptValue& value)
{
    ParseLogic(value);
    while (Kind() == K::kComma) {
        NextToken();
        ParseLogic(value);
    }
}

// The binary operators, loosest level first; within a level they bind from
// the left. A comparison is any operator token, told apart by its text.
//   logic   := compare { ("and" | "or" | "xor") compare }
//   compare := addsub { ("=" | "!=" | "<>" | "<" | "<=" | ">" | ">=") addsub }
//   addsub  := muldiv { ("+" | "-") muldiv }
//   muldiv  := not { ("*" | "/") not }
const CScriptEngine::BinaryLevel CScriptEngine::kBinaryLevels[kBinaryLevelCount] = {
    { { K::kAnd, K::kOr, K::kXor }, { Operator::kAnd, Operator::kOr, Operator::kXor }, 3 },
    { { K::kOperator }, { Operator::kEqual }, 1 },
    { { K::kAddSign, K::kSubSign }, { Operator::kAdd, Operator::kSubtract }, 2 },
    { { K::kStar, K::kSlash }, { Operator::kMultiply, Operator::kDivide }, 2 },
};

// An expression: the loosest level, counted against the nesting limit since
// parentheses and arguments come back here.
void CScriptEngine::ParseLogic(ScriptValue& value)
{
    NestingGuard guard(*this);
    ParseBinaryLevel(0, value);
}

void CScriptEngine::ParseBinaryLevel(int level, ScriptValue& value)
{
    if (level == kBinaryLevelCount) {
        ParseNot(value);
        return;
    }
    const BinaryLevel& operators = kBinaryLevels[level];
    ParseBinaryLevel(level + 1, value);
    for (;;) {
        int found = 0;
        while (found < operators.count && operators.tokens[found] != Kind())
            ++found;
        if (found == operators.count)
            return;
        Operator op = operators.operators[found];
        const bool known = Kind() != K::kOperator || CompareOperatorOf(m_token.text, op);
        NextToken();
        ScriptValue right;
        ParseBinaryLevel(level + 1, right);
        if (known)
            ApplyBinary(op, value, right);
        else
            Check(::VariantCopy(value.get(), right.get())); // an unknown operator yields its right operand
    }
}

// not := unary { "!" }; the not-operator is written after its operand.
void CScriptEngine::ParseNot(ScriptValue& value)
{
    ParseUnary(value);
    while (Kind() == K::kNot) {
        ApplyOle(value, [&](VARIANT* result) { return ::VarNot(value.get(), result); });
        NextToken();
    }
}

// unary := [ "+" | "-" ] postfix; the first callback may take over the negation.
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
    ApplyOle(value, [&](VARIANT* result) { return ::VarNeg(value.get(), result); });
}

// postfix := name [ conversion | "++" | "--" ] | "(" logic ")" | integer | real | string
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
            const bool up = Kind() == K::kIncrement;
            ApplyOle(value, [&](VARIANT* result) {
                return up ? ::VarAdd(value.get(), &one, result) : ::VarSub(value.get(), &one, result);
            });
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

// conversion := "." ("toString" | "toDate" | "toInteger" | "toNumber") "(" ")"; one per operand.
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

// name := variable | callback "." member [ "(" arguments ] | function "(" arguments | host variable
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

// arguments := [ logic { "," logic } ] ")"
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

bool CScriptEngine::CompareOperatorOf(const wchar_t* text, Operator& op)
{
    static const struct
    {
        const wchar_t* text;
        Operator op;
    } kCompares[] = {
        { L"=", Operator::kEqual },
        { L"!=", Operator::kNotEqual },
        { L"<>", Operator::kNotEqual },
        { L"<", Operator::kLess },
        { L"<=", Operator::kLessEqual },
        { L">", Operator::kGreater },
        { L">=", Operator::kGreaterEqual },
    };
    for (const auto& compare : kCompares) {
        if (std::wcscmp(text, compare.text) == 0) {
            op = compare.op;
            return true;
        }
    }
    return false;
}

void CScriptEngine::ApplyBinary(Operator op, ScriptValue& left, ScriptValue& right)
{
    // What each operator applies, in the order of Operator: an OLE operation,
    // or for a comparison whether it holds when the left side is less, equal,
    // greater, or neither (a failing comparison).
    static const struct
    {
        decltype(&::VarAdd) operation;
        bool less, equal, greater, neither;
    } kApplied[] = {
        { ::VarAdd, false, false, false, false },
        { ::VarSub, false, false, false, false },
        { ::VarMul, false, false, false, false },
        { ::VarDiv, false, false, false, false },
        { nullptr, false, true, false, false }, // =
        { nullptr, true, false, true, true }, // != and <>
        { nullptr, true, false, false, false }, // <
        { nullptr, true, true, false, false }, // <=
        { nullptr, false, false, true, false }, // >
        { nullptr, false, true, true, false }, // >=
        { ::VarAnd, false, false, false, false },
        { ::VarOr, false, false, false, false },
        { ::VarXor, false, false, false, false },
    };
    static_assert(sizeof kApplied / sizeof kApplied[0] == static_cast<int>(Operator::kXor) + 1,
        "one entry per operator");

    if (OfferHook(op, left.get(), right.get()))
        return;
    VARIANT* a = left.get();
    VARIANT* b = right.get();
    const auto& applied = kApplied[static_cast<int>(op)];
    if (applied.operation) {
        // A string on the left concatenates; a number adds the right side read as a number.
        // Two numbers are left to the arithmetic, which widens: 1 + 0.05 is not 1.
        if ((op == Operator::kAdd || op == Operator::kSubtract) && left.type() != right.type()
            && !(IsNumber(left.type()) && IsNumber(right.type()))) {
            Check(::VariantChangeType(b, b, 0, left.type()));
            ZeroVariantReserved(*right);
        }
        ApplyOle(left, [&](VARIANT* result) { return applied.operation(a, b, result); });
        return;
    }
    switch (::VarCmp(a, b, LOCALE_USER_DEFAULT, 0)) {
    case VARCMP_LT:
        left.SetBool(applied.less);
        break;
    case VARCMP_EQ:
        left.SetBool(applied.equal);
        break;
    case VARCMP_GT:
        left.SetBool(applied.greater);
        break;
    default:
        left.SetBool(applied.neither);
        break;
    }
}
