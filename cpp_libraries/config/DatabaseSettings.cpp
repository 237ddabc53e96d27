#include "DatabaseSettings.h"

#include "ConfigRW.h"

namespace {

// A value placed into the libpq connection string: quoted only when it would
// otherwise end the value early or add a parameter of its own, so ordinary
// settings give the plain "key=value" form.
std::string ConnValue(const std::string& value)
{
    // An empty value must stand as one, or "dbname=" takes the next key.
    if (value.empty())
        return "''";
    if (value.find_first_of(" \t\n\r\f\v'\\") == std::string::npos)
        return value;
    std::string quoted = "'";
    for (char c : value) {
        if (c == '\'' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

}  // namespace

std::string DatabaseConnInfo(const Config& settings)
{
    std::string host = settings.ReadStringEntry("database", "host addr", "127.0.0.1");
    std::string port = settings.ReadStringEntry("database", "port", "5432");
    std::string dbname = settings.ReadStringEntry("database", "dbname", "morvik2");
    std::string user = settings.ReadStringEntry("database", "user", "morvik2");
    std::string passwd = settings.ReadStringEntry("database", "passwd", "");
    // Without it every connection waits the library's default.
    std::string timeout = settings.ReadStringEntry("database", "connect timeout", "");
    std::string wait = timeout.empty() ? "" : " connect_timeout=" + ConnValue(timeout);

    if (host == "127.0.0.1" || host == "localhost")
        return "dbname=" + ConnValue(dbname) + " user=" + ConnValue(user) + wait;
    return "hostaddr=" + ConnValue(host) + " port=" + ConnValue(port) + " dbname=" + ConnValue(dbname) +
           " user=" + ConnValue(user) + " password=" + ConnValue(passwd) + wait;
}

std::string DatabaseConnInfo()
{
    return DatabaseConnInfo(ConfigRW("database.f"));
}
