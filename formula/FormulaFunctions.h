#pragma once
// The handlers of the formula built-ins: each checks its arguments, takes a
// result buffer from the host's pool and runs its worker (FormulaKernels.h).
//
// Common rules: a scalar first argument is returned as it is (HHV(7,5) is 7)
// except where a function has a scalar meaning of its own; a first series of
// no elements fails the call; a count argument is a number, truncated toward
// zero, and a series in its place fails the call except for REF and SUM, whose
// per-element counts are defined.
#include "formula/FormulaBuiltins.h"

bool FormulaHHV(FormulaCall& call);
bool FormulaLLV(FormulaCall& call);
bool FormulaRGB(FormulaCall& call);
bool FormulaREF(FormulaCall& call);
// EMA, EXPMA and EXPMEMA.
bool FormulaEMA(FormulaCall& call);
bool FormulaMA(FormulaCall& call);
bool FormulaSMA(FormulaCall& call);
bool FormulaSTD(FormulaCall& call);
bool FormulaAVEDEV(FormulaCall& call);
bool FormulaABS(FormulaCall& call);
bool FormulaACOS(FormulaCall& call);
bool FormulaASIN(FormulaCall& call);
bool FormulaATAN(FormulaCall& call);
bool FormulaSUM(FormulaCall& call);
bool FormulaMIN(FormulaCall& call);
bool FormulaMAX(FormulaCall& call);
bool FormulaNOT(FormulaCall& call);
// IF and IFF.
bool FormulaIF(FormulaCall& call);
bool FormulaIFN(FormulaCall& call);
bool FormulaCROSS(FormulaCall& call);
bool FormulaUPNDAY(FormulaCall& call);
bool FormulaDOWNNDAY(FormulaCall& call);
bool FormulaFILTER(FormulaCall& call);
bool FormulaCOUNT(FormulaCall& call);
bool FormulaREVERSE(FormulaCall& call);
bool FormulaBARSLAST(FormulaCall& call);
bool FormulaHHVBARS(FormulaCall& call);
bool FormulaLLVBARS(FormulaCall& call);
bool FormulaBARSCOUNT(FormulaCall& call);
bool FormulaSUMBARS(FormulaCall& call);
bool FormulaBACKSET(FormulaCall& call);
bool FormulaDMA(FormulaCall& call);
bool FormulaZIG(FormulaCall& call);
bool FormulaWINNER(FormulaCall& call);
bool FormulaEVERY(FormulaCall& call);
bool FormulaSLOPE(FormulaCall& call);
// DRAWLINE inside a statement that is not drawn: always five arguments,
// missing ones empty and counted as 0.
bool FormulaDRAWLINE(FormulaCall& call);
