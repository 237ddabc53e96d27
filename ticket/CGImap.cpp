#include "CGImap.h"

CGImap::CGImap(std::string query) : gq(std::move(query)), index(0), processed(false)
{
    for (CGIpair pair = nextPair(); pair; pair = nextPair())
        push_back(pair);
}

CGIpair CGImap::nextPair()
{
    std::string::size_type eq = gq.find('=');
    if (gq.empty() || eq == std::string::npos)
        return CGIpair();
    std::string name = gq.substr(0, eq);
    gq.erase(0, eq + 1);

    std::string::size_type amp = gq.find('&');
    std::string value = gq.substr(0, amp);
    // After the last value nothing is left: parsing it again could turn a
    // "=" inside it into a pair of its own.
    gq.erase(0, amp == std::string::npos ? gq.size() : amp + 1);
    return CGIpair(name, value);
}
