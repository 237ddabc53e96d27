#ifndef MORVIK_ACTIONS_H
#define MORVIK_ACTIONS_H

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "Cli.h"
#include "DBObject.h"

// What an action works with: the database's connection string and the
// stream its results go to.
struct Context {
    std::string conninfo;
    std::ostream& out;
};

using ActionRun = std::function<void(Context&, const Args&)>;

// An action whose reads all see one version of the data, on one connection.
ActionRun OneVersion(ActionRun action);
// An action whose writes are all or nothing: they are committed when it
// ends without a failure, and only then is its result given out.
ActionRun AllOrNothing(ActionRun action);

// One "morvik KIND ACTION" with its operands and options.
struct Action {
    std::string kind;
    std::string name;
    std::string operands;  // the synopsis of the positional words, e.g. "ID"
    size_t minOperands;
    size_t maxOperands;
    std::string summary;
    std::vector<OptionDef> options;
    ActionRun run;
};

std::vector<Action> MasterDataActions();
std::vector<Action> BatchActions();
std::vector<Action> TicketActions();
// A stored ticket's history: listing, verifying and sealing it.
std::vector<Action> HistoryActions();

// The library's message for a failed operation, on one line.
std::string OneMessage(const std::string& message);

// Throws Failure naming what failed and the database's message unless `ok`.
void Check(bool ok, const DBObject& object, const std::string& doing);

// The library's loads succeed with nothing loaded when no row matches; the
// entry number they read back tells the two apart. A load that failed with a
// message is the database refusing.
template <class DB>
void RequireFound(bool loaded, const DB& record, const std::string& what)
{
    if (!loaded && !record.ErrorMsg().empty())
        throw Failure(what + ": " + OneMessage(record.ErrorMsg()));
    if (record.Entry() == 0)
        throw Failure(what + " not found");
}

// An identifier in a message: quoted, on one line.
std::string Quoted(const std::string& id);
// How a record is named in messages: its kind and its quoted identifier.
std::string Named(const std::string& kind, const std::string& id);

// The identifier of a found record as stored: a load by identifier keeps the
// letters it was given, a load by entry reads them. (A formula without
// materials, or a job of one, loads by entry with a failure and no message,
// its identifier read all the same.)
template <class DB>
std::string StoredId(DB& record)
{
    int entry = record.Entry();
    if (!record.LoadByEntry(entry) && !record.ErrorMsg().empty())
        throw Failure(OneMessage(record.ErrorMsg()));
    return record.Id();
}

#endif
