#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// False when the elements of an XML text nest deeper than maxNesting, or when
// one start tag carries more than maxAttributes attributes. The XML parser we
// use recurses once per element level and looks up every attribute it reads
// among those of its element read before, so a hostile document is measured
// with this walk, in one pass, before it ever reaches the parser. The text
// ends at its first NUL, as it does for the parser.
bool XmlWithinLimits(const std::string& text, int maxNesting, int maxAttributes);
// The same over units UTF-16LE code units as the bytes lie, before any copy
// or conversion is made of a document that may be refused.
bool XmlWithinLimits(const uint8_t* utf16le, size_t units, int maxNesting, int maxAttributes);
