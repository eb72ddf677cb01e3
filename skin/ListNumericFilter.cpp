#include "skin/ListNumericFilter.h"
#include "base/Format.h"
#include <algorithm>
#include <cstdlib>

namespace {

NumericKeyOutcome Pass()
{
    return { NumericKeyAction::kPass, std::string(), 0, 0 };
}

NumericKeyOutcome Reject()
{
    return { NumericKeyAction::kReject, std::string(), 0, 0 };
}

int ClampToText(int position, const std::string& text)
{
    return std::max(0, std::min(position, static_cast<int>(text.size())));
}

// The number changes sign; the caret follows the sign that appears or goes.
NumericKeyOutcome ToggleSign(const std::string& text, int start, int end, bool decimal)
{
    bool wasNegative;
    std::string negated;
    if (decimal) {
        double value = std::strtod(text.c_str(), nullptr);
        wasNegative = value < 0;
        // + 0.0 keeps zero from printing as "-0.000000".
        negated = FormatString("%lf", -value + 0.0);
    } else {
        // 64 bits, so the negation of the most negative 32-bit number is exact.
        long long value = std::strtoll(text.c_str(), nullptr, 10);
        wasNegative = value < 0;
        negated = FormatString("%lld", -value);
    }
    int shift = wasNegative ? -1 : 1;
    return { NumericKeyAction::kReplace, negated, ClampToText(start + shift, negated),
        ClampToText(end + shift, negated) };
}

bool IsOperator(char c)
{
    return c == '<' || c == '=' || c == '>';
}

}

NumericKeyOutcome FilterNumericKey(
    const std::string& text, int selectionStart, int selectionEnd, char ch, int32_t flags)
{
    const bool decimal = (flags & kNumericDecimal) != 0;
    if (!(flags & (kNumericIntegers | kNumericDecimal)) || ch == '\b')
        return Pass();
    int start = ClampToText(std::min(selectionStart, selectionEnd), text);
    int end = ClampToText(std::max(selectionStart, selectionEnd), text);
    if (ch == '-' && (flags & kNumericSignToggle))
        return ToggleSign(text, start, end, decimal);

    const std::string after = text.substr(0, start) + ch + text.substr(end);
    int firstDigit = -1, lastMinus = -1, less = -1, equal = -1, greater = -1;
    bool point = false;
    for (int i = 0; i < static_cast<int>(after.size()); ++i) {
        char c = after[i];
        if (c >= '0' && c <= '9') {
            if (firstDigit < 0)
                firstDigit = i;
        } else if (c == '-') {
            lastMinus = i;
        } else if (c == '.') {
            if (!decimal || point)
                return Reject();
            point = true;
        } else if (IsOperator(c) && (flags & kNumericComparison)) {
            int& seen = c == '<' ? less : c == '=' ? equal : greater;
            if (seen >= 0)
                return Reject();
            seen = i;
        } else {
            return Reject();
        }
    }
    // "=" comes last among the operators: ">=" and "<=", never "=>".
    if (equal >= 0 && ((greater >= 0 && equal < greater) || (less >= 0 && equal < less)))
        return Reject();
    // The number follows its operator and its sign.
    if (firstDigit >= 0) {
        for (int mark : { less, equal, greater, lastMinus }) {
            if (mark >= 0 && firstDigit < mark)
                return Reject();
        }
    }
    return Pass();
}
