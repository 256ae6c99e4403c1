#pragma once
// Text as the program holds it: UTF-8 in std::string. Fixed-length fields and
// byte counts are measured in CP949 (the Korean code page the service and the
// shops' data were defined in): ASCII is one byte, a Hangul syllable two.
#include <cstddef>
#include <string>

namespace tarvik {

// True when s is well-formed UTF-8 (no overlongs, no surrogates, <= U+10FFFF).
bool IsValidUtf8(const std::string& s);

// Bytes that code point cp takes in CP949; a code point CP949 cannot hold
// counts as 1 (it would be written as '?').
std::size_t Cp949Width(char32_t cp);

// Bytes that the UTF-8 text s takes in CP949.
std::size_t Cp949Length(const std::string& s);

// The longest prefix of s whose CP949 length is at most maxBytes; never splits a
// character. Invalid UTF-8 bytes count as one byte each and are kept as they are.
std::string CutCp949(const std::string& s, std::size_t maxBytes);

// The CP949 bytes s as UTF-8 (a file a Korean spreadsheet wrote). A byte
// sequence CP949 does not define becomes U+FFFD and the reading goes on.
std::string Cp949ToUtf8(const std::string& s);

// Decodes UTF-8 into code points; an invalid byte becomes U+FFFD.
std::u32string DecodeUtf8(const std::string& s);
std::string EncodeUtf8(const std::u32string& s);

// Index of the byte after the UTF-8 character starting at i (i < s.size()).
std::size_t NextCharEnd(const std::string& s, std::size_t i);

// s with A-Z turned into a-z and every other byte kept (header names, types).
std::string AsciiLower(std::string s);

// Blanks (code 32 only), dates as yymmdd, and text between markers.
std::string TrimRightBlanks(const std::string& s); // code 32 only
std::string TrimLeftBlanks(const std::string& s);  // code 32 only
std::string TrimBlanks(const std::string& s);      // code 32 only, both ends
std::string FormatYymmdd(const std::string& s);    // "240131" -> "24/01/31"
// Why text is no valid yymmdd (trailing blanks removed first), worded for a
// caller to show: "날짜가 정확하지 않습니다.\r\r" + 13 blanks + text, or
// "검색할 날짜가 없습니다." for an empty text; empty when it is valid.
std::string YymmddProblem(const std::string& text, bool allowEmpty);
inline bool CheckYymmdd(const std::string& text, bool allowEmpty) { return YymmddProblem(text, allowEmpty).empty(); }
bool StartsWithOtherChar(const std::string& s);
// Text after the first startMarker up to the first endMarker (any length).
// Empty when a marker is missing or the end marker comes first.
std::string TextBetween(const std::string& text, const std::string& startMarker,
                        const std::string& endMarker);

}  // namespace tarvik
