// The dispatch table of the formula built-ins (see FormulaBuiltins.h for how
// a handler reads its arguments and returns its result).
#include "formula/FormulaBuiltins.h"

#include "formula/FormulaFunctions.h"

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
    { L"HHV", 2, FormulaHHV },
    { L"RGB", 3, FormulaRGB },
    { L"LLV", 2, FormulaLLV },
    { L"REF", 2, FormulaREF },
    { L"EMA", 2, FormulaEMA },
    { L"EXPMA", 2, FormulaEMA },
    { L"EXPMEMA", 2, FormulaEMA },
    { L"MA", 2, FormulaMA },
    { L"SMA", 3, FormulaSMA },
    { L"STD", 2, FormulaSTD },
    { L"AVEDEV", 2, FormulaAVEDEV },
    { L"ABS", 1, FormulaABS },
    { L"ACOS", 1, FormulaACOS },
    { L"ASIN", 1, FormulaASIN },
    { L"ATAN", 1, FormulaATAN },
    { L"SUM", 2, FormulaSUM },
    { L"MIN", 2, FormulaMIN },
    { L"MAX", 2, FormulaMAX },
    { L"NOT", 1, FormulaNOT },
    { L"IF", 3, FormulaIF },
    { L"IFF", 3, FormulaIF },
    { L"IFN", 3, FormulaIFN },
    { L"CROSS", 2, FormulaCROSS },
    { L"UPNDAY", 2, FormulaUPNDAY },
    { L"DOWNNDAY", 2, FormulaDOWNNDAY },
    { L"FILTER", 2, FormulaFILTER },
    { L"COUNT", 2, FormulaCOUNT },
    { L"REVERSE", 1, FormulaREVERSE },
    { L"BARSLAST", 1, FormulaBARSLAST },
    { L"HHVBARS", 2, FormulaHHVBARS },
    { L"LLVBARS", 2, FormulaLLVBARS },
    { L"BARSCOUNT", 1, FormulaBARSCOUNT },
    // Recognised, but always declined: its meaning was never settled.
    { L"CURRBARSCOUNT", 0, nullptr },
    { L"SUMBARS", 2, FormulaSUMBARS },
    { L"BACKSET", 2, FormulaBACKSET },
    { L"DMA", 2, FormulaDMA },
    { L"ZIG", 2, FormulaZIG },
    // Reads OPEN, HIGH, LOW, CLOSE, VOL and CAPITAL through the call.
    { L"WINNER", 1, FormulaWINNER },
    { L"EVERY", 2, FormulaEVERY },
    { L"SLOPE", 2, FormulaSLOPE },
    { nullptr, 0, nullptr },
};

const FormulaBuiltinHandler kDrawLineHandler = FormulaDRAWLINE;
