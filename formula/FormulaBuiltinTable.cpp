// The dispatch table of the formula built-ins (see FormulaBuiltins.h for how
// a handler reads its arguments and returns its result).
#include "formula/FormulaBuiltins.h"

namespace {

// OPEN, CLOSE and the other bound names called as functions: the bound value,
// whatever the arguments.
bool ReturnBoundVariable(FormulaCall& call)
{
    return call.ReturnVariable(call.Name());
}

}

const FormulaBuiltin kFormulaBuiltins[] = {
    { L"OPEN", 0, ReturnBoundVariable },
    { L"CLOSE", 0, ReturnBoundVariable },
    { L"LOW", 0, ReturnBoundVariable },
    { L"HIGH", 0, ReturnBoundVariable },
    { L"VOL", 0, ReturnBoundVariable },
    { L"AMOUNT", 0, ReturnBoundVariable },
    { L"PERIOD", 0, ReturnBoundVariable },
    { L"HHV", 2, nullptr },
    { L"RGB", 3, nullptr },
    { L"LLV", 2, nullptr },
    { L"REF", 2, nullptr },
    { L"EMA", 2, nullptr },
    { L"EXPMA", 2, nullptr },
    { L"EXPMEMA", 2, nullptr },
    { L"MA", 2, nullptr },
    { L"SMA", 3, nullptr },
    { L"STD", 2, nullptr },
    { L"AVEDEV", 2, nullptr },
    { L"ABS", 1, nullptr },
    { L"ACOS", 1, nullptr },
    { L"ASIN", 1, nullptr },
    { L"ATAN", 1, nullptr },
    { L"SUM", 2, nullptr },
    { L"MIN", 2, nullptr },
    { L"MAX", 2, nullptr },
    { L"NOT", 1, nullptr },
    { L"IF", 3, nullptr },
    { L"IFF", 3, nullptr },
    { L"IFN", 3, nullptr },
    { L"CROSS", 2, nullptr },
    { L"UPNDAY", 2, nullptr },
    { L"DOWNNDAY", 2, nullptr },
    { L"FILTER", 2, nullptr },
    { L"COUNT", 2, nullptr },
    { L"REVERSE", 1, nullptr },
    { L"BARSLAST", 1, nullptr },
    { L"HHVBARS", 2, nullptr },
    { L"LLVBARS", 2, nullptr },
    { L"BARSCOUNT", 1, nullptr },
    // Recognised, but always declined: its meaning was never settled.
    { L"CURRBARSCOUNT", 0, nullptr },
    { L"SUMBARS", 2, nullptr },
    { L"BACKSET", 2, nullptr },
    { L"DMA", 2, nullptr },
    { L"ZIG", 2, nullptr },
    // Reads OPEN, HIGH, LOW, CLOSE, VOL and CAPITAL through the call.
    { L"WINNER", 1, nullptr },
    { L"EVERY", 2, nullptr },
    { L"SLOPE", 2, nullptr },
    { nullptr, 0, nullptr },
};

const FormulaBuiltinHandler kDrawLineHandler = nullptr;
