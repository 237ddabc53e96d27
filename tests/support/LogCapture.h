#ifndef LOGCAPTURE_H
#define LOGCAPTURE_H

#include <functional>
#include <string>

// The system log lines an action writes. No syslog daemon runs here: the log
// is opened as "test" with LOG_PERROR and standard error goes to a file in
// `dir` while `action` runs.
std::string CaptureLog(const std::string& dir, const std::function<void()>& action);

// Whether the log holds a line "unit:LINE:function" followed by `rest`.
bool HasLine(const std::string& log, const std::string& unit, const std::string& function, const std::string& rest);

#endif
