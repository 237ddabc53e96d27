#ifndef MORVIK_CLI_H
#define MORVIK_CLI_H

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// The command line of morvik: option parsing and the strict conversion of
// values. Every value is untrusted; a malformed one is a usage error, never 0.

// A mistake in the command line: reported after "usage: ", exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A record that is not there or a database that refused: exit status 1.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An option of an action: "--name VALUE", given once or, when `repeat`, as
// often as wanted. `required` is for the help text; the action enforces it.
struct OptionDef {
    std::string name;
    std::string value;  // what the value is, for the help text
    std::string help;
    bool repeat = false;
    bool required = false;
};

// The words after KIND ACTION: positional words and the options of `defs`,
// as "--name value" or "--name=value"; "--" ends the options, so an
// identifier may begin with dashes.
class Args {
public:
    Args(const std::vector<std::string>& words, const std::vector<OptionDef>& defs);

    const std::vector<std::string>& Positional() const { return positional; }
    bool Has(const std::string& name) const { return values.count(name) != 0; }
    // The value of an option given once; `fallback` when it is absent.
    std::string Value(const std::string& name, const std::string& fallback = "") const;
    // The value of an option that must be given.
    std::string Required(const std::string& name) const;
    // Every value of a repeatable option, in command-line order.
    std::vector<std::string> Values(const std::string& name) const;

private:
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> values;
};

// Strict conversions: the whole text must be the number, finite and in
// range; `what` names the value in the error ("--size").
float ParseReal(const std::string& what, const std::string& text);
// The numbers of concrete and money: an amount is not negative, a percent is
// from 0 to 100, and a size is above 0 as the database stores it, to six
// decimals.
using ParseNumber = float (*)(const std::string& what, const std::string& text);
float ParseAmount(const std::string& what, const std::string& text);
float ParsePercent(const std::string& what, const std::string& text);
float ParseSize(const std::string& what, const std::string& text);
int ParseInt(const std::string& what, const std::string& text);
// "t" or "true", "f" or "false".
bool ParseFlag(const std::string& what, const std::string& text);
// A calendar date YYYY-MM-DD.
std::string ParseDate(const std::string& what, const std::string& text);

// "PRODUCT=AMOUNT" or, where a price is allowed, "PRODUCT=AMOUNT@PRICE". The
// product is everything before the last "=", so an identifier may hold one.
// `amount` converts the amount (a moisture is a percent); a price is an amount.
struct Quantity {
    std::string id;
    float amount = 0;
    bool priced = false;
    float price = 0;
};
Quantity ParseQuantity(const std::string& what, const std::string& text, bool allowPrice,
                       ParseNumber amount = ParseAmount);

// The words of an identifier compared as the database compares them: ASCII
// letters in either case.
bool SameId(const std::string& a, const std::string& b);

#endif
