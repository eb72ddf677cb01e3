#pragma once
// Turns indicator formula text into statements the script engine can run:
// comments dropped, one statement per ";", each rewritten so that running it
// assigns its name and hands the values to draw to the formula host through
// an "Excute", a "DRAWBASELINE" or a draw-function call, with the attribute
// words after the expression kept for the drawing.
//
// Braces always start a comment, so formula text can form neither loop nor
// function bodies.
#include <string>
#include <vector>

#include "formula/FormulaStatement.h"

class FormulaKeywordList;

class FormulaPreprocessor
{
public:
    FormulaPreprocessor();

    // Not owned; its draw-function names are the calls a statement keeps.
    bool SetKeywordList(const FormulaKeywordList* keywords);
    // False only for an empty text; statements are not judged here.
    bool CheckText(const std::wstring& text) const;
    // Appends one statement per ";" of the text, in source order. Always true.
    bool Compile(const std::wstring& text, std::vector<FormulaStatement>& statements) const;

    // The statement from position up to and including its ";" (supplied at
    // the end of the text), appended to statement; false at the end.
    bool NextStatement(const std::wstring& text, std::wstring& statement, size_t& position) const;
    // Fills the record from one statement.
    void RewriteStatement(const std::wstring& statement, FormulaStatement& record) const;
    void RewriteExcute(
        const std::wstring& name, const std::wstring& statement, FormulaStatement& record) const;
    void RewriteDrawBaseline(
        const std::wstring& name, const std::wstring& statement, FormulaStatement& record) const;

private:
    void Rewrite(const wchar_t* wrapper, const std::wstring& statement, FormulaStatement& record) const;
    bool IsDrawFunction(const std::wstring& name) const;

    const FormulaKeywordList* m_keywords;
};
