#include "Output.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "FormatString.h"

namespace {

bool ReadsBack(const std::string& text, double value, bool single)
{
    return single ? std::strtof(text.c_str(), nullptr) == static_cast<float>(value)
                  : std::strtod(text.c_str(), nullptr) == value;
}

}  // namespace

std::string Number(double value, bool single)
{
    if (!std::isfinite(value))
        return FormatString("%g", value);
    // Fixed-point with as few decimals as read back the same value; what needs
    // more than a double's digits of them is shortest in exponent notation.
    for (int decimals = 0; decimals <= 17; ++decimals) {
        std::string text = FormatString("%.*f", decimals, value);
        if (ReadsBack(text, value, single))
            return text;
    }
    for (int digits = 1;; ++digits) {
        std::string text = FormatString("%.*g", digits, value);
        if (ReadsBack(text, value, single) || digits == 17)
            return text;
    }
}

std::string OneLine(const std::string& text)
{
    std::string line;
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        case '\t': line += "\\t"; break;
        default: line += b < 0x20 || b == 0x7f ? FormatString("\\x%02x", b) : std::string(1, c);
        }
    }
    return line;
}

std::string AlignedTable(const std::vector<std::vector<std::string>>& rows)
{
    std::vector<size_t> widths;
    for (const auto& row : rows)
        for (size_t i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths.push_back(0);
            widths[i] = std::max(widths[i], row[i].size());
        }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(widths[i] - row[i].size() + 2, ' ');
        }
        // A trailing empty column leaves no blanks behind.
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    return text;
}

std::string Latin1ToUtf8(const std::string& text)
{
    std::string utf8;
    utf8.reserve(text.size());
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xc0 | (b >> 6));
            utf8 += static_cast<char>(0x80 | (b & 0x3f));
        }
    }
    return utf8;
}

std::string JsonString(const std::string& latin1)
{
    std::string json = "\"";
    for (char c : Latin1ToUtf8(latin1)) {
        unsigned char b = static_cast<unsigned char>(c);
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        case '\b': json += "\\b"; break;
        case '\f': json += "\\f"; break;
        default: json += b < 0x20 ? FormatString("\\u%04x", b) : std::string(1, c);
        }
    }
    return json + "\"";
}

void JsonWriter::Value()
{
    if (keyed) {
        keyed = false;
        return;
    }
    if (!empty.empty()) {
        text += empty.back() ? "\n" : ",\n";
        empty.back() = false;
        text += std::string(2 * empty.size(), ' ');
    }
}

void JsonWriter::Close(char bracket)
{
    bool was_empty = empty.back();
    empty.pop_back();
    if (!was_empty)
        text += "\n" + std::string(2 * empty.size(), ' ');
    text += bracket;
}

void JsonWriter::BeginObject()
{
    Value();
    text += "{";
    empty.push_back(true);
}

void JsonWriter::EndObject()
{
    Close('}');
}

void JsonWriter::BeginArray()
{
    Value();
    text += "[";
    empty.push_back(true);
}

void JsonWriter::EndArray()
{
    Close(']');
}

JsonWriter& JsonWriter::Key(const std::string& name)
{
    Value();
    text += JsonString(name) + ": ";
    keyed = true;
    return *this;
}

void JsonWriter::String(const std::string& latin1)
{
    Value();
    text += JsonString(latin1);
}

void JsonWriter::Number(double value, bool single)
{
    Value();
    text += std::isfinite(value) ? ::Number(value, single) : "null";
}

void JsonWriter::Integer(long value)
{
    Value();
    text += FormatString("%ld", value);
}

void JsonWriter::Bool(bool value)
{
    Value();
    text += value ? "true" : "false";
}

std::string CsvRecord(const std::vector<CsvField>& fields)
{
    std::string record;
    for (size_t i = 0; i < fields.size(); ++i) {
        std::string field = Latin1ToUtf8(fields[i].text);
        if (!fields[i].number && !field.empty() && std::string("=+-@\t\r").find(field[0]) != std::string::npos)
            field.insert(0, "'");
        if (field.find_first_of(",\"\r\n") != std::string::npos) {
            std::string quoted = "\"";
            for (char c : field)
                quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            field = quoted + "\"";
        }
        record += (i ? "," : "") + field;
    }
    return record + "\r\n";
}
