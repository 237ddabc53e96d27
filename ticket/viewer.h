#ifndef VIEWER_H
#define VIEWER_H

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

class DBTicket;

// One browser request to sorvane, the web ticket viewer.
struct Request {
    std::string com;
    std::string printer;
    std::string id;
    std::string plant;
    std::string code;
};

// Picks com, printer, id, plant and code from a query string (null when
// QUERY_STRING is unset, which reads as empty); the last occurrence of a
// name wins.
Request ParseRequest(const char* query);

using Environment = std::vector<std::pair<std::string, std::string>>;

// The variables handed to the ticket template script, in the order they are
// exported; a later entry of the same name overwrites an earlier one.
Environment TicketEnvironment(const DBTicket& ticket, const std::string& plant);

// What checks a stored ticket: its snapshot's digest, and from its history
// when it was first stored and whether it was voided.
struct TicketProof {
    std::string digest;
    std::string stored;
    bool voided = false;
};

// What a request reaches outside the process, replaceable for tests.
struct ViewerServices {
    // Loads the ticket and, when `proof` is given, what checks it, in the
    // same read.
    std::function<void(DBTicket& ticket, const std::string& id, TicketProof* proof)> load;
    std::function<void(const std::string& name, const std::string& value)> setenv;
    std::function<void(const std::string& command)> run;
    // Runs `command` and keeps its standard output; false when it failed.
    std::function<bool(const std::string& command, std::string& output)> capture;
    std::ostream& out;
};

// The services of the real CGI program: the database, the process
// environment, /bin/sh and standard output.
ViewerServices SystemServices();

// Serves one request: loads the ticket, exports its fields, runs the
// request's commands and writes the page. A request that is not acceptable
// gets a short error page and reaches nothing else.
void Serve(const char* query, const ViewerServices& services);

#endif
