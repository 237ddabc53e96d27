#include "SysLog.h"

#include <syslog.h>

void SysLog(const std::string& line)
{
    syslog(LOG_USER | LOG_DEBUG, "%s", line.c_str());
}
