#ifndef DBTICKETHISTORY_H
#define DBTICKETHISTORY_H

#include <string>
#include <vector>

#include "DBObject.h"

// Every ticket's history: events appended to one chain of digests in
// ticketevent_t and never changed, and the check that neither the chain nor
// a stored snapshot was changed since.

enum class EventKind { Stored, Rewritten, Printed, Saved, Voided, Sealed };

// The name an event kind is stored and shown under ("stored", "printed", ...).
const char* EventKindName(EventKind kind);

// What a print or a void adds to its event.
struct EventDetails {
    std::string printer;
    int invoice = 0;
    int copies = 0;  // handed to the spooler
    std::string reason;
};

// One event as stored.
struct TicketEvent {
    int event = 0;
    std::string time;  // the server's, in the session's time zone: YYYY-MM-DD HH:MM:SS
    std::string kind;
    int entry = 0;
    std::string id;
    int plant = 0;
    std::string who;     // the operating-system user of the program
    std::string client;  // for a request through the web viewer, its client
    std::string printer;
    int invoice = 0;
    int copies = 0;
    std::string reason;
    std::string digest;  // SHA-256 of the snapshot, for stored, rewritten and sealed
    std::string hash;
};

// What a check of the history found: one line per problem, and what it covered.
struct HistoryCheck {
    std::vector<std::string> problems;
    long long tickets = 0;
    long long events = 0;
    std::string lastHash;  // empty while there is no event
};

// The environment variable through which sorvane tells the velmora it starts
// whose web request it runs.
constexpr const char* kWebClientVariable = "MORVIK_WEB_CLIENT";

// The web client the events of this process are recorded for ("" for none).
// Control characters become '?' and the text is cut to a sane length: it is
// whatever the web server was told.
void SetHistoryClient(const std::string& client);

class UnitOfWork;

// Records an event for ticket `entry` and commits `unit`, which holds what the
// event records; on failure `owner` is told why, and nothing is kept.
bool RecordAndCommit(UnitOfWork& unit, DBObject& owner, EventKind kind, int entry, const EventDetails& details = {});

class DBTicketHistory : public DBObject {
public:
    explicit DBTicketHistory(std::string conninfo);

    // Appends an event for the ticket stored under `entry`, in the unit of
    // work open in the thread (so it stands or falls with what it records).
    // Appending nothing when no ticket has the entry is no failure.
    bool Record(EventKind kind, int entry, const EventDetails& details = {});

    // The events of the ticket named `id` (in any letter case), oldest first;
    // a removed ticket's too.
    bool Load(const std::string& id, std::vector<TicketEvent>& events);

    // When the ticket stored under `entry` was first stored (or sealed), as
    // YYYY-MM-DD HH:MM:SS ("" when its history holds neither), and whether
    // it was voided: what the web viewer's check of a code shows of it.
    bool Stored(int entry, std::string& stored, bool& voided);

    // Checks the whole chain and the tickets asked about: the one named `id`,
    // else those stored on `date` (YYYY-MM-DD), else all. Each must have a
    // history holding its snapshot's digest, and the last digest must be its
    // snapshot's today; a ticket with events and no row was removed. False
    // only when the check itself could not run.
    bool Check(const std::string& id, const std::string& date, HistoryCheck& result);

    // Records a "sealed" event with the snapshot's digest for every ticket
    // whose history holds none (tickets stored before there was a history);
    // `sealed` says how many.
    bool Seal(long long& sealed);
};

#endif
