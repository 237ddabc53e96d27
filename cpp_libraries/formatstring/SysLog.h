#ifndef SYSLOG_H
#define SYSLOG_H

#include <string>

#include "FormatString.h"

// The file field of every log line: the source file's name without its directory.
constexpr const char* SourceName(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/')
            name = p + 1;
    return name;
}

// Writes one finished line to the system log (facility LOG_USER, priority LOG_DEBUG).
void SysLog(const std::string& line);

// Logs a line that starts with "file:line:function"; the format's first three
// conversions must be "%s:%d:%s".
#define SYSLOG(fmt, ...) SYSLOG_AS(__func__, fmt, ##__VA_ARGS__)
// The same, naming the given function: for lines that belong to a program's
// main sequence but are written from a helper.
#define SYSLOG_AS(function, fmt, ...) \
    SysLog(FormatString(fmt, SourceName(__FILE__), __LINE__, function, ##__VA_ARGS__))

#endif
