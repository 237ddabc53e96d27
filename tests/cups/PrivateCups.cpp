#include "PrivateCups.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const kCupsd = "/usr/sbin/cupsd";
const char* const kLpadmin = "/usr/sbin/lpadmin";
const char* const kLpstat = "/usr/bin/lpstat";

// Every client on the loopback may do everything: the queue is created
// without the local root certificate that the system's scheduler would want.
const char* const kAccess =
    "Browsing Off\n"
    "DefaultPolicy open\n"
    "<Policy open>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n</Policy>\n";

void Pause()
{
    usleep(100 * 1000);
}

}  // namespace

PrivateCups::PrivateCups(const std::string& queue) : queue(queue)
{
    printerSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (bind(printerSocket, reinterpret_cast<sockaddr*>(&addr), length) != 0 || listen(printerSocket, 8) != 0 ||
        getsockname(printerSocket, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        close(printerSocket);
        throw std::runtime_error("the printer cannot listen on 127.0.0.1");
    }
    printer = std::thread(&PrivateCups::Listen, this);

    const std::string& d = dir.Path();
    server = "127.0.0.1:" + std::to_string(FreePort());
    WriteFile(d + "/cupsd.conf", "Listen " + server + "\n" + kAccess);
    WriteFile(d + "/cups-files.conf", "ServerRoot " + d + "\nRequestRoot " + d + "/spool\nCacheDir " + d +
                                          "/cache\nStateDir " + d + "/state\nServerKeychain " + d +
                                          "/ssl\nAccessLog " + d + "/access_log\nErrorLog " + d +
                                          "/error_log\nPageLog " + d + "/page_log\n");
    for (const char* sub : {"/spool", "/cache", "/state", "/ssl"})
        MakeDirs(d + sub);

    std::string conf = d + "/cupsd.conf";
    std::string files = d + "/cups-files.conf";
    cupsd = fork();
    if (cupsd == 0) {
        // Should the test die, the scheduler goes with it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execl(kCupsd, "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }

    // lpadmin fails until the scheduler has come up.
    std::string device = "socket://127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
    ProcessResult added;
    for (int tries = 0; tries < 300; ++tries) {
        added = Cups({kLpadmin, "-p", queue, "-E", "-v", device, "-m", "raw"});
        if (added.exitStatus == 0)
            return;
        if (waitpid(cupsd, nullptr, WNOHANG) == cupsd) {
            cupsd = -1;
            break;
        }
        Pause();
    }
    std::string why = "private cupsd: lpadmin said: " + added.err + "error_log:\n" + ReadFile(d + "/error_log");
    Stop();
    throw std::runtime_error(why);
}

PrivateCups::~PrivateCups()
{
    Stop();
}

std::string PrivateCups::Missing()
{
    std::string missing;
    for (const char* program : {kCupsd, kLpadmin, kLpstat, "/usr/bin/lpr", "/usr/lib/cups/backend/socket"})
        if (access(program, X_OK) != 0)
            missing += std::string(missing.empty() ? "" : " ") + program;
    return missing;
}

std::vector<std::string> PrivateCups::Jobs()
{
    // lpr returns once the scheduler holds the job; lpstat -o lists the jobs
    // not yet handed to the printer.
    for (int tries = 0; tries < 600 && !Cups({kLpstat, "-o", queue}).out.empty(); ++tries)
        Pause();
    std::lock_guard<std::mutex> lock(mutex);
    return jobs;
}

// One connection is one job, as a network ticket printer sees it. The job is
// kept before the connection closes, so the scheduler never counts a job
// done that is not here yet.
void PrivateCups::Listen()
{
    for (int connection; (connection = accept4(printerSocket, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        std::string job;
        char buffer[4096];
        for (ssize_t n; (n = read(connection, buffer, sizeof buffer)) > 0;)
            job.append(buffer, static_cast<size_t>(n));
        {
            std::lock_guard<std::mutex> lock(mutex);
            jobs.push_back(job);
        }
        close(connection);
    }
}

void PrivateCups::Stop()
{
    if (cupsd > 0) {
        kill(cupsd, SIGTERM);
        waitpid(cupsd, nullptr, 0);
    }
    // Ends the accept the printer waits in.
    shutdown(printerSocket, SHUT_RDWR);
    printer.join();
    close(printerSocket);
}

ProcessResult PrivateCups::Cups(const std::vector<std::string>& argv) const
{
    return RunProcess(argv, {"CUPS_SERVER=" + server});
}
