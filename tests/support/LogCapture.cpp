#include "LogCapture.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>

#include <gtest/gtest.h>

#include "Process.h"

std::string CaptureLog(const std::string& dir, const std::function<void()>& action)
{
    const std::string path = dir + "/log";
    openlog("test", LOG_PERROR, LOG_USER);
    std::fflush(stderr);
    int saved = dup(STDERR_FILENO);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (saved < 0 || fd < 0 || dup2(fd, STDERR_FILENO) < 0) {
        ADD_FAILURE() << "cannot send standard error to " << path;
        action();
        return "";
    }
    close(fd);
    action();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    return ReadFile(path);
}

bool HasLine(const std::string& log, const std::string& unit, const std::string& function, const std::string& rest)
{
    const std::string head = "test: " + unit + ":";
    const std::string tail = ":" + function + rest;
    for (size_t p = log.find(head); p != std::string::npos; p = log.find(head, p + 1)) {
        size_t digits = p + head.size();
        size_t end = digits;
        while (end < log.size() && std::isdigit(static_cast<unsigned char>(log[end])))
            ++end;
        if (end > digits && log.compare(end, tail.size(), tail) == 0)
            return true;
    }
    return false;
}
