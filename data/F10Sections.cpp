#include "data/F10Sections.h"

#include <algorithm>

#include "base/GlobalDefaults.h"
#include "base/MbcsText.h"
#include "base/Thread.h"
#include "base/UnicodeString.h"

const char* const kF10DefaultTitles[kF10TitleCount] = {
    "最新提示",
    "公司概况",
    "财务分析",
    "股东研究",
    "股本股改",
    "风险因素",
    "公司报道",
    "行业分析",
    "公司大事",
    "港澳分析",
    "经营分析",
    "主力追踪",
    "分红扩股",
    "高层治理",
    "业内点评",
    "关联个股",
};

namespace {

CriticalSection& TitleLock()
{
    static CriticalSection lock;
    return lock;
}

std::vector<std::string>& Titles()
{
    static std::vector<std::string> titles(kF10DefaultTitles, kF10DefaultTitles + kF10TitleCount);
    return titles;
}

const unsigned char kStar0 = 0xA1;
const unsigned char kStar1 = 0xEE;
// A heading candidate is dropped into the body once it holds this many bytes after its first.
const size_t kCandidateLimit = 12;

bool IsMarkerPiece(const std::string& candidate)
{
    for (const char* marker : F10SectionHeadings) {
        if (std::string(marker).find(candidate) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

int InitF10SectionTitles()
{
    SingleLock hold(&TitleLock());
    Titles().assign(kF10DefaultTitles, kF10DefaultTitles + kF10TitleCount);
    return kF10TitleCount;
}

std::vector<std::string> GetF10SectionTitles()
{
    SingleLock hold(&TitleLock());
    return Titles();
}

bool SplitF10Sections(const char* text, int32_t length, F10SectionMap& sections)
{
    if (!text || length <= 100)
        return false;
    sections.clear();

    std::string title;
    std::string body;
    std::string candidate;
    bool inCandidate = false;
    std::vector<std::string> storedTitles;

    auto storeSection = [&]() {
        if (title.empty() || body.empty())
            return;
        if (sections.insert(std::make_pair(title, body)).second)
            storedTitles.push_back(title);
    };

    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    int32_t pos = 0;
    while (pos < length) {
        const int32_t width
            = static_cast<int32_t>(MbcsCharSize(text, static_cast<size_t>(length), static_cast<size_t>(pos)));
        const bool isStar = width == 2 && bytes[pos] == kStar0 && bytes[pos + 1] == kStar1;
        const std::string character(text + pos, width);
        pos += width;

        if (!inCandidate) {
            if (isStar) {
                candidate = character;
                inCandidate = true;
            } else {
                body += character;
            }
            continue;
        }
        if (!isStar) {
            candidate += character;
            if (candidate.size() - 1 >= kCandidateLimit) {
                body += candidate;
                candidate.clear();
                inCandidate = false;
            }
            continue;
        }
        // A star closes the candidate: a heading when it is one of the markers.
        const size_t afterFirst = candidate.size() - 1;
        if (afterFirst >= 9 && afterFirst <= 11 && IsMarkerPiece(candidate)) {
            storeSection();
            title = candidate.substr(2);
            body.clear();
        } else {
            body += candidate;
            body += character;
        }
        candidate.clear();
        inCandidate = false;
    }
    // A candidate still open at the end is text.
    if (inCandidate)
        body += candidate;
    storeSection();

    if (!storedTitles.empty()) {
        // A section keeps the tab of its own heading; a heading outside the
        // list takes, in text order, the tab of a heading the text lacks.
        // Filled by position, one missing section would shift every tab after it.
        std::vector<std::string> fresh(kF10DefaultTitles, kF10DefaultTitles + kF10TitleCount);
        std::vector<std::string> extras;
        for (const std::string& stored : storedTitles)
            if (std::find(fresh.begin(), fresh.end(), stored) == fresh.end())
                extras.push_back(stored);
        size_t next = 0;
        for (std::string& entry : fresh)
            if (next < extras.size() && sections.count(entry) == 0)
                entry = extras[next++];
        SingleLock hold(&TitleLock());
        Titles() = std::move(fresh);
    }
    return true;
}
