#include "ConfigRW.h"

#include <cstdlib>
#include <fstream>
#include <limits>

#include "FormatString.h"
#include "SysLog.h"

std::string ConfigRW::path;
Mutex ConfigRW::path_mutex;

namespace {

// What the typed reads pass as default to tell "nothing found" apart.
const char* const kNotFound = "default_value";

// "a||b" holds a and b; an empty text holds no value at all.
ConfigRW::value SplitValues(const std::string& text)
{
    ConfigRW::value values;
    size_t start = 0;
    while (start < text.size()) {
        size_t separator = text.find("||", start);
        if (separator == std::string::npos) {
            values.push_back(text.substr(start));
            break;
        }
        values.push_back(text.substr(start, separator - start));
        start = separator + 2;
    }
    return values;
}

ConfigRW::group_iterator FindSection(ConfigRW::group& config, const std::string& section)
{
    ConfigRW::group_iterator it = config.begin();
    while (it != config.end() && it->first != section)
        ++it;
    return it;
}

ConfigRW::property_iterator FindEntry(ConfigRW::property& entries, const std::string& key)
{
    ConfigRW::property_iterator it = entries.begin();
    while (it != entries.end() && it->first != key)
        ++it;
    return it;
}

}

ConfigRW::ConfigRW(const std::string& name)
{
    {
        MutexLock lock(path_mutex);
        filename = path + name;
    }
    std::ifstream in(filename);
    if (!in.is_open()) {
        SYSLOG("%s:%d:%s error opening file for reading...\n");
        return;
    }
    std::string section;
    std::string line;
    while (std::getline(in, line)) {
        // A file written with CR LF line ends reads as one written with LF.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            if (close == std::string::npos)
                SYSLOG("%s:%d:%s syntax error at line: '%s'. \n", line.c_str());
            else
                section = line.substr(1, close - 1);
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            SYSLOG("%s:%d:%s syntax error at line: '%s'. \n", line.c_str());
            continue;
        }
        std::pair<std::string, value> entry(line.substr(0, equals), SplitValues(line.substr(equals + 1)));
        group_iterator target = FindSection(config, section);
        if (target == config.end())
            config.push_back(std::make_pair(section, property{entry}));
        else
            target->second.push_back(entry);
    }
    // A read failure (the name is a directory, an I/O error) ends the file
    // where it stands; it is logged because, unlike a missing file, it means
    // the configuration directory is broken.
    if (in.bad())
        SYSLOG("%s:%d:%s error reading file...\n");
}

ConfigRW::~ConfigRW() = default;

void ConfigRW::setPath(const std::string& directory)
{
    MutexLock lock(path_mutex);
    path = directory;
}

std::string ConfigRW::getPath()
{
    MutexLock lock(path_mutex);
    return path;
}

std::string ConfigRW::ReadStringEntry(const std::string& section, const std::string& key,
                                      const std::string& default_value) const
{
    MutexLock lock(config_mutex);
    for (const auto& named : config) {
        if (named.first != section)
            continue;
        for (const auto& entry : named.second)
            if (entry.first == key && !entry.second.empty())
                return entry.second.front();
    }
    return default_value;
}

int ConfigRW::ReadIntEntry(const std::string& section, const std::string& key,
                           int default_value) const
{
    std::string text = ReadStringEntry(section, key, kNotFound);
    if (text == kNotFound)
        return default_value;
    // As atoi reads it, except that a number beyond int stops at its end
    // rather than being undefined.
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

float ConfigRW::ReadFloatEntry(const std::string& section, const std::string& key,
                               float default_value) const
{
    std::string text = ReadStringEntry(section, key, kNotFound);
    return text == kNotFound ? default_value : static_cast<float>(atof(text.c_str()));
}

bool ConfigRW::ReadBoolEntry(const std::string& section, const std::string& key,
                             bool default_value) const
{
    std::string text = ReadStringEntry(section, key, kNotFound);
    return text == kNotFound ? default_value : text == "t";
}

bool ConfigRW::WriteStringEntry(const std::string& section, const std::string& key,
                                const std::string& new_value)
{
    MutexLock lock(config_mutex);
    group_iterator target = FindSection(config, section);
    if (target == config.end()) {
        config.push_back(std::make_pair(section, property{std::make_pair(key, value{new_value})}));
        return true;
    }
    property_iterator entry = FindEntry(target->second, key);
    if (entry == target->second.end())
        target->second.push_back(std::make_pair(key, value{new_value}));
    else
        entry->second = value{new_value};
    return true;
}

bool ConfigRW::WriteIntEntry(const std::string& section, const std::string& key, int new_value)
{
    return WriteStringEntry(section, key, FormatString("%i", new_value));
}

bool ConfigRW::WriteFloatEntry(const std::string& section, const std::string& key, float new_value)
{
    return WriteStringEntry(section, key, FormatString("%f", static_cast<double>(new_value)));
}

bool ConfigRW::WriteBoolEntry(const std::string& section, const std::string& key, bool new_value)
{
    return WriteStringEntry(section, key, new_value ? "t" : "f");
}

bool ConfigRW::Remove(const std::string& section, const std::string& key)
{
    MutexLock lock(config_mutex);
    for (group_iterator named = config.begin(); named != config.end(); ++named) {
        if (named->first != section)
            continue;
        if (key.empty()) {
            config.erase(named);
            return true;
        }
        property_iterator entry = FindEntry(named->second, key);
        if (entry != named->second.end()) {
            named->second.erase(entry);
            return true;
        }
    }
    return true;
}

void ConfigRW::Save() const
{
    MutexLock lock(config_mutex);
    std::ofstream out(filename, std::ios::out | std::ios::trunc);
    if (!out.is_open()) {
        SYSLOG("%s:%d:%s error opening file for writing\n");
        return;
    }
    for (const auto& named : config) {
        if (!named.first.empty())
            out << '[' << named.first << "]\n";
        for (const auto& entry : named.second) {
            out << entry.first << '=';
            for (const_value_iterator v = entry.second.begin(); v != entry.second.end(); ++v)
                out << (v == entry.second.begin() ? "" : "||") << *v;
            out << '\n';
        }
    }
}

ConfigRW::group_iterator ConfigRW::begin()
{
    MutexLock lock(config_mutex);
    return config.begin();
}

ConfigRW::group_iterator ConfigRW::end()
{
    MutexLock lock(config_mutex);
    return config.end();
}

ConfigRW::const_group_iterator ConfigRW::begin() const
{
    MutexLock lock(config_mutex);
    return config.begin();
}

ConfigRW::const_group_iterator ConfigRW::end() const
{
    MutexLock lock(config_mutex);
    return config.end();
}
