// The configuration reader on files of any content, and the connection string
// the programs build from database.f. The reader keeps to its grammar, and
// libpq reads back from the connection string exactly the settings read, so
// no value can end early or add a parameter of its own.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include <libpq-fe.h>

#include "ConfigRW.h"
#include "DatabaseSettings.h"

// The reader logs every line it cannot read; millions of them have no place
// in the system log.
void SysLog(const std::string&) {}

namespace {

void Check(bool holds)
{
    if (!holds)
        abort();
}

// The input as a file of the configuration directory, in memory only.
class MemoryFile {
public:
    MemoryFile() : fd(memfd_create("fuzz.f", 0))
    {
        Check(fd >= 0);
        ConfigRW::setPath("/proc/self/fd/");
    }
    std::string Name() const { return std::to_string(fd); }
    void Fill(const uint8_t* data, size_t size) const
    {
        Check(ftruncate(fd, 0) == 0);
        Check(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    }

private:
    int fd;
};

// The first value of the first entry that has one: what a lookup finds.
const std::string* FirstValue(const ConfigRW::property& entries, const std::string& key)
{
    for (const auto& entry : entries)
        if (entry.first == key && !entry.second.empty())
            return &entry.second.front();
    return nullptr;
}

void CheckGrammar(ConfigRW& config)
{
    std::set<std::string> sections;
    for (const auto& section : config) {
        Check(sections.insert(section.first).second);
        Check(section.first.find_first_of("]\n") == std::string::npos);
        for (const auto& entry : section.second) {
            Check(entry.first.find_first_of("=\n") == std::string::npos);
            for (const std::string& value : entry.second)
                Check(value.find('\n') == std::string::npos && value.find("||") == std::string::npos);
            const std::string* first = FirstValue(section.second, entry.first);
            Check(config.ReadStringEntry(section.first, entry.first, "\n") == (first ? *first : "\n"));
            Check(config.ReadBoolEntry(section.first, entry.first, false) == (first && *first == "t"));
        }
    }
}

void CheckConnInfo(const ConfigRW& config)
{
    std::string conninfo = DatabaseConnInfo(config);
    // libpq reads the string up to its first NUL, and a settings file is
    // text: a NUL in a value is out of reach of any quoting.
    if (conninfo.find('\0') != std::string::npos)
        return;

    auto setting = [&config](const char* key, const char* fallback) {
        return config.ReadStringEntry("database", key, fallback);
    };
    std::map<std::string, std::string> expected = {{"dbname", setting("dbname", "morvik2")},
                                                   {"user", setting("user", "morvik2")}};
    std::string host = setting("host addr", "127.0.0.1");
    if (host != "127.0.0.1" && host != "localhost") {
        expected["hostaddr"] = host;
        expected["port"] = setting("port", "5432");
        expected["password"] = setting("passwd", "");
    }
    std::string timeout = setting("connect timeout", "");
    if (!timeout.empty())
        expected["connect_timeout"] = timeout;

    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
    Check(options != nullptr);
    std::map<std::string, std::string> parsed;
    for (PQconninfoOption* option = options; option->keyword; ++option)
        if (option->val)
            parsed[option->keyword] = option->val;
    PQconninfoFree(options);
    Check(parsed == expected);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const MemoryFile file;
    file.Fill(data, size);
    ConfigRW config(file.Name());
    CheckGrammar(config);
    CheckConnInfo(config);
    return 0;
}
