#pragma once
// Splitting F10 company text into titled sections, and the process-wide title list.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Title -> body, both GBK. std::string compares as unsigned bytes, which is the
// order we want whatever the runtime's code page.
typedef std::map<std::string, std::string> F10SectionMap;

static const int kF10TitleCount = 16;
// The title list as the program starts with it.
extern const char* const kF10DefaultTitles[kF10TitleCount];

// Fills the process-wide title list with its 16 defaults; returns 16.
int InitF10SectionTitles();
// A copy of the title list: splits on worker threads rewrite it while the UI reads it.
std::vector<std::string> GetF10SectionTitles();

// Splits text on the "☆title☆" headings, walking GBK characters so that a star
// is never found across a character boundary. The map is cleared first; texts
// of 100 bytes or less are not split (false, nothing changes). Each stored
// section also rewrites entry i < 16 of the title list.
bool SplitF10Sections(const char* text, int32_t length, F10SectionMap& sections);
