#ifndef CGIMAP_H
#define CGIMAP_H

#include <string>
#include <vector>

#include "CGIpair.h"

// The decoded pairs of a CGI query string, in the order they appear, parsed
// in one pass by the constructor. Pairs are split before they are decoded, so
// an encoded "&" or "=" is data.
class CGImap : public std::vector<CGIpair> {
public:
    // Parses until the first pair without a name, which is not kept.
    explicit CGImap(std::string query);

    // The next pair of gq, which it shortens; an empty pair when gq is empty
    // or holds no "=".
    CGIpair nextPair();

private:
    std::string gq;  // the part of the query not yet parsed
    // Part of the map's record; nothing in this system reads them.
    [[maybe_unused]] int index;
    [[maybe_unused]] bool processed;
};

#endif
