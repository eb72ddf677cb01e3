#include "app/ServiceReplies.h"

#include <cmath>
#include <cstdlib>

#include "base/Format.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 128, 0);
const COLORREF kBlack = RGB(0, 0, 0);
const int32_t kFirstPaneValue = 5020;
const size_t kStatusLines = 7;
const size_t kIndexLines = 4;

// Lines by position, so that a line keeps its pane however the others look;
// the blank lines a reply ends with are not lines.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    while (!lines.empty() && TrimText(lines.back()).empty())
        lines.pop_back();
    return lines;
}

// A whole piece that is a finite decimal number.
bool ReadNumber(const std::string& piece, double& value)
{
    const std::string text = TrimText(piece);
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && std::isfinite(value);
}

StatusSegment Segment(const std::string& text, COLORREF colour, HFONT font)
{
    StatusSegment segment;
    segment.text = text;
    segment.colour = colour;
    segment.font = font;
    return segment;
}

void AddIndexNumbers(const std::string& values, const StatusPaneFonts& fonts, StatusPane& pane)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= values.size()) {
        size_t end = values.find(';', start);
        if (end == std::string::npos)
            end = values.size();
        pieces.push_back(values.substr(start, end - start));
        start = end + 1;
    }
    double numbers[4] = {};
    if (pieces.size() < 4)
        return;
    for (int i = 0; i < 4; ++i)
        if (!ReadNumber(pieces[i], numbers[i]))
            return;
    const double last = numbers[0];
    const double change = numbers[1];
    const double percent = numbers[2];
    const double turnover = numbers[3];
    const COLORREF colour = change < 0 ? kGreen : kRed;
    if (last != 0)
        pane.segments.push_back(Segment(" " + FormatDecimal(last, 2), colour, fonts.bold));
    if (change != 0)
        pane.segments.push_back(Segment(" " + FormatDecimal(change, 2), colour, fonts.bold));
    if (last != 0)
        pane.segments.push_back(Segment(" " + FormatDecimal(percent, 2) + "%", colour, fonts.bold));
    if (turnover != 0)
        pane.segments.push_back(Segment(" " + FormatLargeNumber(turnover), kBlack, nullptr));
}

} // namespace

bool ParseStatusReply(const std::string& text, const StatusPaneFonts& fonts, std::vector<StatusPane>& panes)
{
    const std::vector<std::string> lines = SplitLines(text);
    if (lines.size() < kStatusLines)
        return false;
    std::vector<StatusPane> built;
    for (size_t n = 0; n < kStatusLines; ++n) {
        const std::string& line = lines[n];
        // A tab is never the trail byte of a GBK character.
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        StatusPane pane;
        pane.value = kFirstPaneValue + static_cast<int32_t>(n);
        const std::string name = line.substr(0, tab);
        const std::string value = line.substr(tab + 1);
        if (n < kIndexLines) {
            pane.segments.push_back(Segment(name, kBlack, nullptr));
            AddIndexNumbers(value, fonts, pane);
        } else {
            static const COLORREF kCountColours[3] = { kRed, kGreen, kBlack };
            pane.segments.push_back(Segment(name + ":", kBlack, nullptr));
            pane.segments.push_back(Segment(" " + value, kCountColours[n - kIndexLines], fonts.normal));
        }
        built.push_back(pane);
    }
    panes.swap(built);
    return true;
}

bool ParseServerSeconds(const std::string& field, int32_t& seconds)
{
    // The leading digits are the seconds; a fraction after them is not read.
    const std::string text = TrimText(field);
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    if (digits == 0 || digits > 10)
        return false;
    if (digits < text.size()) {
        // Anything but a fraction after them is no time.
        if (text[digits] != '.')
            return false;
        for (size_t i = digits + 1; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
        }
    }
    int64_t value = 0;
    for (size_t i = 0; i < digits; ++i)
        value = value * 10 + (text[i] - '0');
    if (value <= 0 || value > INT32_MAX)
        return false;
    seconds = static_cast<int32_t>(value);
    return true;
}

bool ParseLoginCheckReply(const std::string& text, int32_t& serverTime)
{
    std::vector<std::string> fields;
    SplitString(text, "|", fields);
    if (fields.size() < 2)
        return false;
    return ParseServerSeconds(fields[0], serverTime);
}

std::string NewsTextFromReply(const std::string& utf8Body)
{
    return ConvertReplyCodePage(utf8Body.c_str());
}
