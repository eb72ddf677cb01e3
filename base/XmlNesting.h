#pragma once

#include <string>

// False when the elements of an XML text nest deeper than cap. The XML parser
// we use recurses once per element level, so a hostile document is measured
// with this walk before it ever reaches the parser.
bool XmlNestingWithin(const std::string& text, int cap);
