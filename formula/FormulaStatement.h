#pragma once
// One compiled formula statement: written by the compilation, run by the
// formula host (which records its output arguments in values), measured and
// drawn by the calculator.
#include "formula/FormulaVariant.h"

#include <string>
#include <vector>

struct FormulaStatement
{
    // The output name as the formula wrote it; empty for a direct draw call.
    std::wstring name;
    // The function the statement calls: "Excute", "DRAWBASELINE" or a draw function.
    std::wstring function;
    // An intermediate result: run, but not drawn.
    bool notDrawn = false;
    // Never set by the compilation; a statement with it set is not run.
    bool inlined = false;
    // The script text the host runs.
    std::wstring text;
    // The arguments of the statement's output call, recorded by the last run;
    // series among them point into the host's buffers until its next clearing.
    FormulaValueList values;
    // The drawing attributes written after the expression.
    std::vector<std::wstring> attributes;
};
