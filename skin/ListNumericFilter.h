#pragma once
// Which characters a numeric cell editor accepts, as a pure step over the
// box's text and selection, so the rules are tested without a window.
#include <cstdint>
#include <string>

// Format bits of a cell that the filter reads.
enum : int32_t {
    kNumericIntegers = 0x20,
    kNumericDecimal = 0x40,
    kNumericSignToggle = 0x80,
    kNumericComparison = 0x100,
};

enum class NumericKeyAction {
    kPass, // the box inserts the character itself
    kReject, // the character is swallowed
    kReplace, // the character is swallowed and the box gets text and selection
};

struct NumericKeyOutcome
{
    NumericKeyAction action;
    std::string text; // kReplace only
    int selectionStart; // kReplace only
    int selectionEnd;
};

// The filter for one typed character ch into a box that holds text with the
// selection [selectionStart, selectionEnd) (byte offsets, in any order, cut
// to the text). Without 0x20 or 0x40 in flags, and for backspace, every key
// passes. With 0x80, "-" negates the whole number instead of being typed.
NumericKeyOutcome FilterNumericKey(
    const std::string& text, int selectionStart, int selectionEnd, char ch, int32_t flags);
