#ifndef XMLELEMENT_H
#define XMLELEMENT_H

#include <string>

#include "FormatString.h"

// Building blocks of the ticket snapshot: one element each, opening tag,
// value, closing tag, with nothing between elements.

inline std::string XmlElement(const char* name, const std::string& value)
{
    return std::string("<") + name + ">" + value + "</" + name + ">";
}

inline std::string XmlEncoded(const char* name, const std::string& text)
{
    return XmlElement(name, XmlEncode(text));
}

inline std::string XmlFloat(const char* name, double value)
{
    return XmlElement(name, FormatString("%f", value));
}

inline std::string XmlFloat2(const char* name, double value)
{
    return XmlElement(name, FormatString("%.2f", value));
}

inline std::string XmlInt(const char* name, int value)
{
    return XmlElement(name, FormatString("%i", value));
}

inline std::string XmlFlag(const char* name, bool value)
{
    return XmlElement(name, value ? "t" : "f");
}

#endif
