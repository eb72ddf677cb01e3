// The character filter of numeric cell editors.
#include "skin/ListNumericFilter.h"
#include <gtest/gtest.h>

namespace {

struct FilterCase
{
    const char* name;
    const char* text;
    int start;
    int end;
    char ch;
    int32_t flags;
    bool accepted;
};

const FilterCase kCases[] = {
    { "digit appended", "12", 2, 2, '5', 0x20, true },
    { "letter refused", "12", 2, 2, 'a', 0x20, false },
    { "point refused for integers", "12", 2, 2, '.', 0x20, false },
    { "backspace always passes", "12", 2, 2, '\b', 0x20, true },
    { "no numeric flag: anything", "ab", 2, 2, 'x', 0x10, true },
    { "one point", "1.5", 3, 3, '.', 0x40, false },
    { "first point", "15", 1, 1, '.', 0x40, true },
    { "point replacing the old one", "1.5", 1, 2, '.', 0x40, true },
    { "minus before the number", "5", 0, 0, '-', 0x20, true },
    { "minus after a digit", "5", 1, 1, '-', 0x20, false },
    { "operators need 0x100", "", 0, 0, '>', 0x20, false },
    { "greater then equal", ">", 1, 1, '=', 0x120, true },
    { "equal then greater", "=", 1, 1, '>', 0x120, false },
    { "equal then less", "=", 1, 1, '<', 0x120, false },
    { "second less", "<", 1, 1, '<', 0x120, false },
    { "number after operator", ">=", 2, 2, '7', 0x120, true },
    { "operator after number", "7", 1, 1, '<', 0x120, false },
    { "negative after operator", "<", 1, 1, '-', 0x120, true },
    { "digit typed over the whole text", "123", 0, 3, '9', 0x20, true },
    { "selection given backwards", "123", 3, 0, 'x', 0x20, false },
    { "selection past the end is cut", "12", 9, 9, '3', 0x20, true },
    { "Chinese text refused", "", 0, 0, static_cast<char>(0xD6), 0x40, false },
};

}

TEST(ListNumericFilter, AcceptsAndRefusesByFlags)
{
    for (const FilterCase& c : kCases) {
        NumericKeyOutcome outcome = FilterNumericKey(c.text, c.start, c.end, c.ch, c.flags);
        EXPECT_EQ(c.accepted ? NumericKeyAction::kPass : NumericKeyAction::kReject, outcome.action) << c.name;
    }
}

TEST(ListNumericFilter, MinusTogglesTheSignOfTheWholeNumber)
{
    // A positive decimal number: negated as "%lf", the caret one place right.
    NumericKeyOutcome outcome = FilterNumericKey("12.5", 4, 4, '-', 0xC0);
    EXPECT_EQ(NumericKeyAction::kReplace, outcome.action);
    EXPECT_EQ("-12.500000", outcome.text);
    EXPECT_EQ(5, outcome.selectionStart);
    EXPECT_EQ(5, outcome.selectionEnd);

    // Back again: the caret moves one place left.
    outcome = FilterNumericKey("-12", 1, 3, '-', 0xA0);
    EXPECT_EQ("12", outcome.text);
    EXPECT_EQ(0, outcome.selectionStart);
    EXPECT_EQ(2, outcome.selectionEnd);

    // A caret before a negative number's sign stays at the start (never -1,
    // which would drop the selection).
    outcome = FilterNumericKey("-7", 0, 0, '-', 0xA0);
    EXPECT_EQ("7", outcome.text);
    EXPECT_EQ(0, outcome.selectionStart);

    // Zero never turns into "-0", and the most negative 32-bit integer negates exactly.
    EXPECT_EQ("0.000000", FilterNumericKey("", 0, 0, '-', 0xC0).text);
    EXPECT_EQ("0", FilterNumericKey("abc", 0, 0, '-', 0xA0).text);
    EXPECT_EQ("2147483648", FilterNumericKey("-2147483648", 0, 0, '-', 0xA0).text);
}
