#pragma once
// Character-by-character work on 8-bit text in code page 936: a lead byte
// 0x81-0xFE and the byte after it form one character, so searches, cuts and
// counts never split a character or match across two. A lead byte at the
// very end counts as a character of its own.
#include <cstddef>
#include <string>

// Bytes of the character at pos of text's length bytes (1 or 2; 0 at or past
// the end). Every character-wise walk over GBK bytes steps with this.
size_t MbcsCharSize(const char* text, size_t length, size_t pos);
inline size_t MbcsCharSize(const std::string& text, size_t pos)
{
    return MbcsCharSize(text.data(), text.size(), pos);
}
// Characters in text.
size_t MbcsCharCount(const std::string& text);
// The length of the longest prefix of text's length bytes that holds at most
// maxBytes bytes and ends on a character boundary.
size_t MbcsPrefixLength(const char* text, size_t length, size_t maxBytes);
// That prefix.
std::string MbcsTruncate(const std::string& text, size_t maxBytes);
// The first occurrence of what at a character boundary at or after from
// (a boundary itself); npos when none or when what is empty.
size_t MbcsFind(const std::string& text, const std::string& what, size_t from = 0);
// An ASCII capital lowered; every other byte, GBK bytes included, as it is.
inline char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
// True when text starts with prefix, ASCII letters compared without case.
bool MbcsStartsWithNoCase(const std::string& text, const std::string& prefix);
// Byte-wise order of unsigned bytes: <0, 0, >0. For code page 936 this is the
// character order, since a lead byte is larger than any single-byte character.
int MbcsCompare(const std::string& a, const std::string& b);
