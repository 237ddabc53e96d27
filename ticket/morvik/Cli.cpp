#include "Cli.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "FormatString.h"

Args::Args(const std::vector<std::string>& words, const std::vector<OptionDef>& defs)
{
    bool options = true;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (!options || word.compare(0, 2, "--") != 0) {
            positional.push_back(word);
            continue;
        }
        if (word == "--") {
            options = false;
            continue;
        }
        std::string name = word.substr(2);
        std::string value;
        std::string::size_type eq = name.find('=');
        bool inline_value = eq != std::string::npos;
        if (inline_value) {
            value = name.substr(eq + 1);
            name.erase(eq);
        }
        const OptionDef* def = nullptr;
        for (const OptionDef& s : defs)
            if (s.name == name)
                def = &s;
        if (!def)
            throw UsageError("unknown option --" + name);
        if (!inline_value) {
            if (i + 1 == words.size())
                throw UsageError("--" + name + " needs a value");
            value = words[++i];
        }
        if (!def->repeat && Has(name))
            throw UsageError("--" + name + " given twice");
        values[name].push_back(value);
    }
}

std::string Args::Value(const std::string& name, const std::string& fallback) const
{
    auto it = values.find(name);
    return it == values.end() ? fallback : it->second.front();
}

std::string Args::Required(const std::string& name) const
{
    if (!Has(name))
        throw UsageError("--" + name + " is required");
    return Value(name);
}

std::vector<std::string> Args::Values(const std::string& name) const
{
    auto it = values.find(name);
    return it == values.end() ? std::vector<std::string>() : it->second;
}

namespace {

// strtod and strtol accept leading blanks; a value that starts with one is
// not the number it looks like.
bool Starts(const std::string& text)
{
    return !text.empty() && (text[0] == '-' || text[0] == '+' || text[0] == '.' || (text[0] >= '0' && text[0] <= '9'));
}

// "-0" is 0: a negative zero would be stored and shown as "-0".
float Unsigned(float value)
{
    return value == 0 ? 0.0f : value;
}

}  // namespace

float ParseReal(const std::string& what, const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    double value = Starts(text) ? std::strtod(text.c_str(), &end) : 0;
    // Hexadecimal, "inf" and "nan" are no amounts of concrete.
    bool plain = text.find_first_of("xXnNiI") == std::string::npos;
    if (!Starts(text) || !plain || *end != '\0' || errno == ERANGE || !std::isfinite(value) ||
        std::fabs(value) > FLT_MAX)
        throw UsageError(what + ": '" + text + "' is not a number");
    return static_cast<float>(value);
}

float ParseAmount(const std::string& what, const std::string& text)
{
    float value = ParseReal(what, text);
    if (value < 0)
        throw UsageError(what + " must not be negative");
    return Unsigned(value);
}

float ParsePercent(const std::string& what, const std::string& text)
{
    float value = ParseReal(what, text);
    if (value < 0 || value > 100)
        throw UsageError(what + " must be from 0 to 100");
    return Unsigned(value);
}

float ParseSize(const std::string& what, const std::string& text)
{
    float value = ParseReal(what, text);
    // The library writes a real into SQL as "%f": a size that prints as
    // 0.000000 would be stored as a load of nothing.
    if (!(value > 0) || FormatString("%f", value) == "0.000000")
        throw UsageError(what + " must be above 0");
    return value;
}

int ParseInt(const std::string& what, const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    long value = Starts(text) ? std::strtol(text.c_str(), &end, 10) : 0;
    if (!Starts(text) || *end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        throw UsageError(what + ": '" + text + "' is not a whole number");
    return static_cast<int>(value);
}

bool ParseFlag(const std::string& what, const std::string& text)
{
    if (text == "t" || text == "true")
        return true;
    if (text == "f" || text == "false")
        return false;
    throw UsageError(what + ": '" + text + "' is not t or f");
}

std::string ParseDate(const std::string& what, const std::string& text)
{
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool shape = text.size() == 10 && text[4] == '-' && text[7] == '-';
    for (size_t i = 0; shape && i < text.size(); ++i)
        shape = i == 4 || i == 7 || (text[i] >= '0' && text[i] <= '9');
    if (shape) {
        int year = std::atoi(text.substr(0, 4).c_str());
        int month = std::atoi(text.substr(5, 2).c_str());
        int day = std::atoi(text.substr(8, 2).c_str());
        bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        if (month >= 1 && month <= 12 && day >= 1 && day <= days[month - 1] && (month != 2 || day < 29 || leap))
            return text;
    }
    throw UsageError(what + ": '" + text + "' is not a date YYYY-MM-DD");
}

Quantity ParseQuantity(const std::string& what, const std::string& text, bool allowPrice, ParseNumber amount)
{
    std::string::size_type eq = text.rfind('=');
    if (eq == std::string::npos || eq == 0)
        throw UsageError(what + ": '" + text + "' is not PRODUCT=AMOUNT" + (allowPrice ? "[@PRICE]" : ""));
    Quantity q;
    q.id = text.substr(0, eq);
    std::string number = text.substr(eq + 1);
    std::string::size_type at = number.find('@');
    if (allowPrice && at != std::string::npos) {
        q.priced = true;
        q.price = ParseAmount(what + " " + q.id + " price", number.substr(at + 1));
        number.erase(at);
    }
    q.amount = amount(what + " " + q.id, number);
    return q;
}

bool SameId(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}
