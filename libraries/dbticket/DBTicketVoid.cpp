// Voiding a stored ticket for a reason its history keeps.

#include "DBTicket.h"

#include "DBTicketHistory.h"
#include "DBTicketSite.h"
#include "FormatString.h"

bool DBTicket::VoidStored(const std::string& reason)
{
    BEGIN_OPERATION(op);
    UnitOfWork unit(ConnInfo());
    ClearError();
    // A second voider waits for the first, then finds the ticket void.
    bool found = false;
    bool alreadyVoid = false;
    if (!op.Exists(FormatString("SELECT void_c FROM ticket_t WHERE entry_c=%i FOR UPDATE", Entry()), found,
                   [&](PgSqlDatabase& db) { alreadyVoid = db.GetBool(0, "void_c"); }))
        return false;
    if (!found)
        return op.Refuse(FormatString("ticket entry %i not found", Entry()));
    if (alreadyVoid)
        return op.Refuse("already void");
    DBTicketHistory history(ConnInfo());
    if (!VoidTicket())
        return false;
    if (!history.Record(EventKind::Voided, Entry(), {"", 0, 0, reason})) {
        ErrorMsg(history.ErrorMsg());
        return false;
    }
    if (unit.Commit())
        return true;
    ErrorMsg(unit.ErrorMsg());
    return false;
}
