#ifndef PRIVATECUPS_H
#define PRIVATECUPS_H

#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

#include "Process.h"

// A print spooler of the test's own: cupsd on 127.0.0.1 with its
// configuration, spool, state and logs in a temporary directory, one raw
// queue whose device is socket://127.0.0.1:PORT, and on that port a network
// ticket printer that keeps the bytes of each connection as one job.
// cupsd is a child of the test and dies with it; the destructor stops it.
class PrivateCups {
public:
    // Starts everything and creates the queue; throws with cupsd's error log
    // when the spooler does not come up.
    explicit PrivateCups(const std::string& queue);
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // The programs of cups and cups-bsd this needs that are not installed,
    // empty when all are.
    static std::string Missing();

    // "127.0.0.1:PORT", for CUPS_SERVER.
    const std::string& Server() const { return server; }

    // The jobs the printer received, in order, once the queue holds no job
    // that is not finished.
    std::vector<std::string> Jobs();

private:
    void Listen();
    void Stop();
    ProcessResult Cups(const std::vector<std::string>& argv) const;

    TempDir dir;
    std::string queue;
    std::string server;
    pid_t cupsd = -1;
    int printerSocket = -1;
    std::thread printer;
    std::mutex mutex;
    std::vector<std::string> jobs;
};

#endif
