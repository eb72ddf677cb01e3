#pragma once
// The three replies the main frame polls from the service, read without any
// I/O: the market status into status-bar panes, the login check into the
// server time, the rolling news into the ticker's text. Every reply is
// untrusted: a reply that does not have the expected shape changes nothing.
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

#include "skin/SkinStatusBarCtrl.h"

// The fonts the status panes use besides the bar's own (not owned).
struct StatusPaneFonts
{
    HFONT bold = nullptr; // "宋体" 12, weight 700: the index numbers
    HFONT normal = nullptr; // "宋体" 12, weight 400: the counts of lines 5-7
};

// The market-status reply (code page 936, lines "\r\n"): true with the panes
// when it has at least seven lines. Lines 1-4 "name\tlast;change;pct;turnover"
// give panes 5020-5023, lines 5-7 "name\tvalue" panes 5024-5026; a line
// without a tab gives no pane. False, panes untouched, for fewer lines.
bool ParseStatusReply(const std::string& text, const StatusPaneFonts& fonts, std::vector<StatusPane>& panes);

// The login-check reply (already converted to code page 936): fields split at
// "|"; with at least two, a first field that is a positive decimal number of
// seconds that fits 32 bits gives the server time. Anything else is refused,
// so a broken reply can never move the time every request is stamped with.
bool ParseLoginCheckReply(const std::string& text, int32_t& serverTime);

// A positive number of seconds that fits 32 bits: the field's leading
// decimal digits (blanks around the field allowed), after which only a
// fraction may follow, and is not read.
bool ParseServerSeconds(const std::string& field, int32_t& seconds);

// The rolling-news reply (UTF-8) as the ticker's text in code page 936; empty
// when there is nothing to show. Lines stay "title\tlink": the ticker keeps
// each title with its own link and drops lines without a title.
std::string NewsTextFromReply(const std::string& utf8Body);
