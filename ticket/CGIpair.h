#ifndef CGIPAIR_H
#define CGIPAIR_H

#include <string>
#include <utility>

// One name and value of a CGI query string, both URL-decoded.
class CGIpair : public std::pair<std::string, std::string> {
public:
    CGIpair() = default;
    CGIpair(std::string name, std::string value);

    // A pair without a name ends the parse of a query string.
    explicit operator bool() const { return !first.empty(); }

    // "+" is a space, "%" and two hexadecimal digits the byte they give;
    // every other byte stands for itself.
    static std::string decodeURLString(std::string URLstr);
    // The value of one hexadecimal digit; other characters give whatever
    // the formula makes of them.
    static int translateHex(char hex);
};

#endif
