#include "FormatString.h"

std::string SqlEscape(std::string text)
{
    // Only apostrophes end a single-quoted literal; doubling double quotes
    // would store each one twice and grow the text on every save.
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        result += c;
        if (c == '\'')
            result += '\'';
    }
    return result;
}

std::string SqlQuote(const std::string& text)
{
    return "'" + SqlEscape(text) + "'";
}

std::string XmlEncode(std::string text)
{
    // XML 1.0 forbids control characters other than tab, newline and carriage
    // return; one of them would make the whole snapshot unparsable, so it
    // becomes a space. Decoding therefore restores exactly the texts that hold
    // no such byte. Bytes from 0x7F up are Latin-1 characters and pass.
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        switch (c) {
        case '&': result += "&amp;"; break;
        case '\'': result += "&apos;"; break;
        case '"': result += "&quot;"; break;
        case '<': result += "&lt;"; break;
        case '>': result += "&gt;"; break;
        case '\t':
        case '\n':
        case '\r': result += c; break;
        default:
            result += (b >= 0x01 && b < 0x20) ? ' ' : c;
        }
    }
    return result;
}

std::string XmlDecode(std::string text)
{
    // An entity is recognised by its first one or two letters only and the
    // length of the entity that starts so is dropped, however it continues.
    std::string result;
    result.reserve(text.size());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        char produced = text[i];
        size_t consumed = 1;
        if (text[i] == '&' && i + 1 < n) {
            char first = text[i + 1];
            char second = i + 2 < n ? text[i + 2] : '\0';
            if (first == 'a' && second == 'm') {
                produced = '&';
                consumed = 5;
            } else if (first == 'a' && second == 'p') {
                produced = '\'';
                consumed = 6;
            } else if (first == 'q') {
                produced = '"';
                consumed = 6;
            } else if (first == 'l') {
                produced = '<';
                consumed = 4;
            } else if (first == 'g') {
                produced = '>';
                consumed = 4;
            }
        }
        // An entity cut short by the end of the text takes what is left.
        result += produced;
        i += consumed;
    }
    return result;
}

std::string ShellQuote(std::string text)
{
    const char* plain = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-.,:@%+=/";
    if (!text.empty() && text.find_first_not_of(plain) == std::string::npos)
        return text;
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string HtmlEscape(std::string text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': result += "&amp;"; break;
        case '<': result += "&lt;"; break;
        case '>': result += "&gt;"; break;
        case '"': result += "&quot;"; break;
        case '\'': result += "&#39;"; break;
        default: result += c;
        }
    }
    return result;
}
