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
    return VoidTicket() && RecordAndCommit(unit, *this, EventKind::Voided, Entry(), {"", 0, 0, reason});
}
