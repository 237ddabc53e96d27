// The tickets' history: appending events to the chain, reading a ticket's
// events and checking chain and snapshots. The hashing itself is done by the
// server (ticketevent_append, ticketevent_hash in the schema), so the
// programs and an auditor's own script agree on one text form.

#include "DBTicketHistory.h"

#include <pwd.h>
#include <unistd.h>

#include "DBOperation.h"
#include "FormatString.h"

namespace {

constexpr LogFamily kFamily = LogFamily::Spaced;

// Longer than any user name or web client; a longer one is no real client.
constexpr size_t kLongestClient = 200;

std::string& Client()
{
    static std::string client;
    return client;
}

// The operating-system user running this program, by name where it has one.
std::string OsUser()
{
    uid_t uid = getuid();
    if (const passwd* pw = getpwuid(uid))
        return pw->pw_name;
    return FormatString("uid %u", static_cast<unsigned>(uid));
}

// The kinds whose events carry the snapshot's digest.
const char* const kDigestKinds = "('stored','rewritten','sealed')";

// The events' columns as the history lists them.
const char* const kEventColumns =
    "event_c, to_char(time_c, 'YYYY-MM-DD HH24:MI:SS') AS time_c, kind_c, entry_c, id_c, plant_c, who_c, client_c, "
    "printer_c, invoice_c, copies_c, reason_c, digest_c, hash_c";

TicketEvent ReadEvent(PgSqlDatabase& db, unsigned row)
{
    TicketEvent e;
    e.event = db.GetInt(row, "event_c");
    e.time = db.GetString(row, "time_c");
    e.kind = db.GetString(row, "kind_c");
    e.entry = db.GetInt(row, "entry_c");
    e.id = db.GetString(row, "id_c");
    e.plant = db.GetInt(row, "plant_c");
    e.who = db.GetString(row, "who_c");
    e.client = db.GetString(row, "client_c");
    e.printer = db.GetString(row, "printer_c");
    e.invoice = db.GetInt(row, "invoice_c");
    e.copies = db.GetInt(row, "copies_c");
    e.reason = db.GetString(row, "reason_c");
    e.digest = db.GetString(row, "digest_c");
    e.hash = db.GetString(row, "hash_c");
    return e;
}

}  // namespace

const char* EventKindName(EventKind kind)
{
    static const char* const kNames[] = {"stored", "rewritten", "printed", "saved", "voided", "sealed"};
    return kNames[static_cast<int>(kind)];
}

void SetHistoryClient(const std::string& client)
{
    std::string clean = client.substr(0, kLongestClient);
    for (char& c : clean)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    Client() = clean;
}

bool RecordAndCommit(UnitOfWork& unit, DBObject& owner, EventKind kind, int entry, const EventDetails& details)
{
    DBTicketHistory history(owner.ConnInfo());
    if (!history.Record(kind, entry, details)) {
        owner.ErrorMsg(history.ErrorMsg());
        return false;
    }
    if (unit.Commit())
        return true;
    owner.ErrorMsg(unit.ErrorMsg());
    return false;
}

DBTicketHistory::DBTicketHistory(std::string conninfo) : DBObject(std::move(conninfo)) {}

bool DBTicketHistory::Record(EventKind kind, int entry, const EventDetails& details)
{
    BEGIN_OPERATION(op);
    std::string sql = FormatString("SELECT ticketevent_append('%s',%i,", EventKindName(kind), entry) +
                      SqlQuote(OsUser()) + "," + SqlQuote(Client()) + "," + SqlQuote(details.printer) +
                      FormatString(",%i,%i,", details.invoice, details.copies) + SqlQuote(details.reason) + ")";
    return op.Run(DBOperation::Kind::Tuples, sql);
}

bool DBTicketHistory::Load(const std::string& id, std::vector<TicketEvent>& events)
{
    BEGIN_OPERATION(op);
    std::string sql = std::string("SELECT ") + kEventColumns + " FROM ticketevent_t WHERE LOWER(id_c)=LOWER(" +
                      SqlQuote(id) + ") ORDER BY event_c";
    return op.EachRow(sql, [&](PgSqlDatabase& db, unsigned row) { events.push_back(ReadEvent(db, row)); });
}

bool DBTicketHistory::Stored(int entry, std::string& stored, bool& voided)
{
    BEGIN_OPERATION(op);
    return op.One(FormatString("SELECT to_char(min(time_c) FILTER (WHERE kind_c IN ('stored', 'sealed')), "
                               "'YYYY-MM-DD HH24:MI:SS') AS stored_c, coalesce(bool_or(kind_c = 'voided'), false) "
                               "AS voided_c FROM ticketevent_t WHERE entry_c=%i",
                               entry),
                  [&](PgSqlDatabase& db) {
                      stored = db.GetString(0, "stored_c");
                      voided = db.GetBool(0, "voided_c");
                  });
}

bool DBTicketHistory::Check(const std::string& id, const std::string& date, HistoryCheck& result)
{
    BEGIN_OPERATION(op);
    result = HistoryCheck{};
    // Every event against the one before it, in one ordered pass.
    const std::string chain =
        "SELECT event_c FROM (SELECT event_c, hash_c IS DISTINCT FROM "
        "ticketevent_hash(lag(hash_c) OVER (ORDER BY event_c), e) AS broken FROM ticketevent_t e) c "
        "WHERE broken ORDER BY event_c";
    bool ok = op.EachRow(chain, [&](PgSqlDatabase& db, unsigned row) {
        result.problems.push_back("chain broken at event " + db.GetString(row, "event_c"));
    });
    ok = ok && op.One("SELECT count(*) AS events, (SELECT hash_c FROM ticketevent_t ORDER BY event_c DESC LIMIT 1) "
                      "AS last FROM ticketevent_t",
                      [&](PgSqlDatabase& db) {
                          result.events = std::stoll(db.GetString(0, "events"));
                          result.lastHash = db.GetString(0, "last");
                      });

    // The tickets asked about, and the removed ones among them: a removed
    // ticket is known by its events, and by the day of its first.
    std::string asked = "TRUE";
    std::string removed = "TRUE";
    if (!id.empty()) {
        asked = "LOWER(t.id_c)=LOWER(" + SqlQuote(id) + ")";
        removed = "LOWER(min(e.id_c))=LOWER(" + SqlQuote(id) + ")";
    } else if (!date.empty()) {
        asked = FormatString("substr(t.date_c,1,%i)=", static_cast<int>(date.size())) + SqlQuote(date);
        removed = "to_char(min(e.time_c),'YYYY-MM-DD')=" + SqlQuote(date);
    }
    const std::string tickets =
        "WITH asked AS (SELECT entry_c, id_c, xmldata_c FROM ticket_t t WHERE " + asked +
        "), last AS (SELECT DISTINCT ON (entry_c) entry_c, digest_c FROM ticketevent_t WHERE kind_c IN " +
        kDigestKinds +
        " AND entry_c IN (SELECT entry_c FROM asked) ORDER BY entry_c, event_c DESC) "
        "SELECT a.entry_c, a.id_c, CASE WHEN l.entry_c IS NULL THEN 'no history' "
        "WHEN l.digest_c<>coalesce(ticket_digest(a.xmldata_c),'') THEN 'snapshot changed' ELSE '' END AS problem "
        "FROM asked a LEFT JOIN last l USING (entry_c) "
        "UNION ALL SELECT e.entry_c, min(e.id_c), 'ticket removed' FROM ticketevent_t e "
        "WHERE NOT EXISTS (SELECT 1 FROM ticket_t t WHERE t.entry_c=e.entry_c) GROUP BY e.entry_c HAVING " +
        removed + " ORDER BY 1";
    return ok && op.EachRow(tickets, [&](PgSqlDatabase& db, unsigned row) {
        ++result.tickets;
        std::string problem = db.GetString(row, "problem");
        if (!problem.empty())
            result.problems.push_back("ticket " + db.GetString(row, "id_c") + ": " + problem);
    });
}

bool DBTicketHistory::Seal(long long& sealed)
{
    BEGIN_OPERATION(op);
    std::string sql = "SELECT count(ticketevent_append('sealed',entry_c," + SqlQuote(OsUser()) + "," +
                      SqlQuote(Client()) +
                      ",'',0,0,'')) AS sealed FROM (SELECT DISTINCT entry_c FROM ticket_t t WHERE NOT EXISTS "
                      "(SELECT 1 FROM ticketevent_t e WHERE e.entry_c=t.entry_c AND e.kind_c IN " +
                      std::string(kDigestKinds) + ") ORDER BY entry_c) s";
    return op.One(sql, [&](PgSqlDatabase& db) { sealed = std::stoll(db.GetString(0, "sealed")); });
}
