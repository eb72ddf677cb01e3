#include "data/SearchKey.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <iterator>

#include "base/UnicodeString.h"

namespace {

struct PolyphoneEntry
{
    uint32_t codePoint;
    char letters[12];
};

#include "data/PinyinTable.inc"

static_assert(sizeof(kPinyinInitials) - 1 == kPinyinLast - kPinyinFirst + 1, "one initial per code point");

// The folding tables, tried in this order before the pinyin initials.
const wchar_t kFullWidthCapitals[] = L"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ";
const wchar_t kFullWidthDigits[] = L"０１２３４５６７８９";
const wchar_t kParenthesisedNumbers[] = L"⑴⑵⑶⑷⑸⑹⑺⑻⑼⑽⑾⑿⒀⒁⒂⒃⒄⒅⒆⒇";

const size_t kMaxWideUnits = 256; // with the terminator

int PositionIn(const wchar_t* table, wchar_t c)
{
    const wchar_t* found = std::wcschr(table, c);
    return (found && c) ? static_cast<int>(found - table) : -1;
}

std::string FoldCharacter(wchar_t c)
{
    int k = PositionIn(kFullWidthCapitals, c);
    if (k >= 0)
        return std::string(1, static_cast<char>('A' + k));
    k = PositionIn(kFullWidthDigits, c);
    if (k >= 0)
        return std::string(1, static_cast<char>('0' + k));
    k = PositionIn(kParenthesisedNumbers, c);
    if (k >= 0)
        return std::to_string(k + 1);
    return PinyinInitial(c);
}

bool IsKeptText(const std::string& text)
{
    if (text.empty())
        return false;
    const unsigned char c = static_cast<unsigned char>(text[0]);
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 96 && c <= 105) || c == ' ' || c == '('
        || c == ')' || c == '|' || c == 19;
}

} // namespace

std::string PinyinInitial(wchar_t c)
{
    const uint32_t code = static_cast<uint16_t>(c);
    if (code < kPinyinFirst || code > kPinyinLast)
        return std::string(1, static_cast<char>(code & 0xFF));
    const PolyphoneEntry* end = kPolyphones + std::size(kPolyphones);
    const PolyphoneEntry* entry = std::lower_bound(
        kPolyphones, end, code, [](const PolyphoneEntry& e, uint32_t value) { return e.codePoint < value; });
    if (entry != end && entry->codePoint == code) {
        std::string text = "(";
        for (size_t i = 0; i < sizeof(entry->letters) && entry->letters[i]; ++i) {
            if (i)
                text += '|';
            text += entry->letters[i];
        }
        return text + ")";
    }
    return std::string(1, kPinyinInitials[code - kPinyinFirst]);
}

int MakeSearchKey(const char* name, std::string& dest, int limit)
{
    const std::wstring wide = name ? GbkToWide(name) : std::wstring();
    if (wide.size() + 1 <= kMaxWideUnits) {
        for (size_t i = 0; i < wide.size(); ++i) {
            const std::string text = FoldCharacter(wide[i]);
            if (!IsKeptText(text))
                continue;
            dest += text;
            // The limit is looked at only where a text was kept: a dropped
            // character at the limit lets the walk reach the next kept one.
            if (static_cast<long long>(i) + 1 >= limit)
                break;
        }
    }
    dest.erase(std::remove(dest.begin(), dest.end(), ' '), dest.end());
    return 1;
}
