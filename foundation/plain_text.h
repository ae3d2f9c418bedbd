// Case and trimming rules of OrvString for code that works on plain
// character data, so that every reader of the system trims and compares
// texts the same way.

#ifndef FOUNDATION_PLAIN_TEXT_H_
#define FOUNDATION_PLAIN_TEXT_H_

#include <string>

// Upper-cased copy of the whole text (no length limit, unlike
// OrvString::upperCase()).
std::string orvUpperText(const std::string& text);

// Narrows [begin, end) as OrvString::trim() narrows a string: blanks and
// tabs in front, blanks, tabs and line ends behind.
void orvTrimBounds(const char*& begin, const char*& end);

// Copy with every control character (below 0x20, and DEL) shown as '?', so
// that text from an array or the configuration cannot steer a terminal.
std::string orvVisibleText(const std::string& text);

#endif  // FOUNDATION_PLAIN_TEXT_H_
