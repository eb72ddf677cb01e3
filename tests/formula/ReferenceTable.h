// Reference values written by tools/formula_ref.py: a CSV embedded in the test
// program as an RCDATA resource, one named column per input or result, "inv"
// where the reference has no value.
#pragma once

#include "formula/SeriesValue.h"

#include <windows.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

struct ReferenceTable
{
    std::vector<std::string> names;
    std::map<std::string, std::vector<float>> columns;
    int count = 0;

    const std::vector<float>& operator[](const std::string& name) const { return columns.at(name); }
};

// An empty table when the resource is missing.
inline ReferenceTable LoadReferenceTable(const char* resource)
{
    ReferenceTable table;
    HRSRC found = ::FindResourceA(nullptr, resource, MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (!found)
        return table;
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
    std::istringstream text(std::string(bytes, ::SizeofResource(nullptr, found)));
    std::string line;
    std::getline(text, line);
    std::istringstream header(line);
    for (std::string name; std::getline(header, name, ',');)
        table.names.push_back(name);
    while (std::getline(text, line)) {
        if (line.empty())
            continue;
        std::istringstream row(line);
        size_t column = 0;
        for (std::string cell; std::getline(row, cell, ',') && column < table.names.size(); ++column)
            table.columns[table.names[column]].push_back(
                cell == "inv" ? kInvalidValue : std::strtof(cell.c_str(), nullptr));
        ++table.count;
    }
    return table;
}
