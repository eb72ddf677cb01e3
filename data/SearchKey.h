#pragma once
// The keyboard search key of a name: what a user types to find it (code
// digits, or the initials of the pinyin readings of a Chinese name).
#include <string>

// Appends the key of name (code page 936 text) to dest, stopping after the
// first kept text at or beyond the limit-th character; every space in dest
// is removed at the end. A name of
// more than 255 UTF-16 units adds nothing. Returns 1.
int MakeSearchKey(const char* name, std::string& dest, int limit);

// The text for one UTF-16 character: outside U+4E00-U+9FA5 its low byte; a
// character with several readings "(A|B)" ("(A)" for one letter); otherwise
// the one initial.
std::string PinyinInitial(wchar_t c);
