#ifndef FORMATSTRING_H
#define FORMATSTRING_H

#include <cstdarg>
#include <string>

// printf-style formatting into a string of any length.
std::string FormatString(std::string format, ...);
std::string FormatStringV(std::string format, va_list args);

// Escaping for texts placed into single-quoted SQL literals and into the
// ticket snapshot's XML.
std::string SqlEscape(std::string text);
// The whole single-quoted SQL literal of a text, escaped inside.
std::string SqlQuote(const std::string& text);
std::string XmlEncode(std::string text);
std::string XmlDecode(std::string text);

// A text as one literal word of a /bin/sh command line: a word of only
// letters, digits and _ - . , : @ % + = / stays as it is, anything else is
// single-quoted.
std::string ShellQuote(std::string text);

// A text placed into HTML markup or a double-quoted attribute.
std::string HtmlEscape(std::string text);

#endif
