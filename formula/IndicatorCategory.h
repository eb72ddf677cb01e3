#pragma once
// The fixed categories under which the indicator trees group definitions by
// their "type". A row's position is its id.
#include <cstdint>
#include <string>

struct IndicatorCategory
{
    int32_t id;
    const wchar_t* name;
};

static const int kIndicatorCategoryCount = 17;
// The trees list the categories from this id up; row 0 ("no category") has no node.
static const int kFirstListedIndicatorCategory = 1;

// The whole table, kIndicatorCategoryCount rows in id order.
const IndicatorCategory* IndicatorCategories();

// The name of a category; empty for an id outside the table, since a
// definition's type comes from the server and may be anything.
std::wstring IndicatorCategoryName(int32_t id);
// The same name in code page 936, for controls that take 8-bit text.
std::string IndicatorCategoryNameGbk(int32_t id);
// True for the ids that have a node in the indicator trees (1 to 16).
bool IsListedIndicatorCategory(int32_t id);
