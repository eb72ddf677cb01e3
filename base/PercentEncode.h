#pragma once
// Text placed in a query of an address the web service is asked for.
#include <string>

// Every byte outside A-Z, a-z, 0-9 and "-_.~" as "%XX" (upper-case hex), so
// GBK names, blanks and "&" or "=" cannot change the query they are put in.
std::string PercentEncode(const std::string& text);
