// Entry, ticket and invoice numbers, and the plant's delivery counters.

#include "DBTicket.h"

#include "DBTicketSite.h"
#include "FormatString.h"

bool DBTicket::NextEntry()
{
    int entry = 0;
    if (!OPERATION.NextVal("batch_s", entry))
        return false;
    Entry(entry);
    return true;
}

bool DBTicket::NextTicketEntry()
{
    int entry = 0;
    if (!OPERATION.NextVal("ticket_s", entry))
        return false;
    Entry(entry);
    return true;
}

bool DBTicket::NextInvoice()
{
    DBOperation op = OPERATION;
    int invoice = 0;
    if (!op.NextVal("invoice_s", invoice))
        return false;
    Invoice(invoice);
    // The row is found as the load found it, whatever letters the id was typed in.
    std::string sql = FormatString("UPDATE ticket_t SET invoice_c=%i WHERE LOWER(id_c)=LOWER('%s')", Invoice(),
                                   SqlEscape(Id()).c_str());
    return op.Run(DBOperation::Kind::Command, sql, nullptr, FailureReport::LogFixed("ERROR SAVING TO DATABASE"));
}

bool DBTicket::UpdateCounters()
{
    BEGIN_OPERATION(op);
    std::string where = FormatString("WHERE plant_c=%d", Plant());
    bool counted = op.One("SELECT loadsdelivered_c,yardsdelivered_c FROM batchcounter_t " + where, nullptr,
                          FailureReport::StoreOnly());
    if (!counted)
        return false;
    // The server adds to the stored values, so two bookings of one plant at
    // the same moment both count.
    std::string sql = FormatString("UPDATE batchcounter_t SET loadsdelivered_c=loadsdelivered_c+1,"
                                   "yardsdelivered_c=yardsdelivered_c+%f ",
                                   Batchsize()) +
                      where;
    return op.Run(DBOperation::Kind::Command, sql);
}
