#pragma once

#include <string>

// False when the elements of an XML text nest deeper than maxNesting, or when
// one start tag carries more than maxAttributes attributes. The XML parser we
// use recurses once per element level and looks up every attribute it reads
// among those of its element read before, so a hostile document is measured
// with this walk, in one pass, before it ever reaches the parser.
bool XmlWithinLimits(const std::string& text, int maxNesting, int maxAttributes);
