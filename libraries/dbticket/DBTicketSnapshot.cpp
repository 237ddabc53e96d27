// The ticket snapshot: everything true of the ticket when it was batched.

#include "DBTicket.h"

#include "DBRecord.h"
#include "FormatString.h"
#include "XmlElement.h"

namespace {

// Slots left empty by a failed load hold no product and are not written. The
// count and the numbering cover only the entries that are, so the snapshot
// reads back as exactly the products it holds, numbered 1 to the count.
int CountEntries(const std::vector<DBProduct*>& list)
{
    int count = 0;
    for (const DBProduct* product : list)
        if (product)
            ++count;
    return count;
}

// A line's entry: the product's elements, then the line's own (an extra
// product's line only the Extra ones).
std::string LineEntry(const char* tag, const DBProduct& line, int num, bool material)
{
    std::string xml = FormatString("<%s num=\"%i\">", tag, num) + line.xmlString();
    for (const RecordColumn<DBProduct>& column : LineTable().columns)
        if (material || column.Has(col::Extra))
            xml += XmlColumn(column, line);
    return xml + "</" + tag + ">";
}

}  // namespace

void DBTicket::CopySiteToJobAndTruck() const
{
    job->Deliverto(Deliverto());
    job->Street(Street());
    job->City(City());
    job->State(State());
    job->Zipcode(Zipcode());
    job->Instructions(Instructions());
    truck->Driver(Driver());
}

std::string DBTicket::xmlString() const
{
    std::string xml = "<ticket_t>" + XmlSection(TicketTable(), *this);

    CopySiteToJobAndTruck();
    xml += customer->xmlString();
    xml += job->xmlString();
    xml += formula->xmlString();
    xml += truck->xmlString();

    xml += "<materials_t>" + XmlInt("nummatl_c", CountEntries(matl_v));
    int num = 0;
    for (const DBProduct* matl : matl_v)
        if (matl)
            xml += LineEntry("matl", *matl, ++num, true);
    xml += "</materials_t>";

    xml += "<products_t>" + XmlInt("numprod_c", CountEntries(prod_v));
    num = 0;
    for (const DBProduct* prod : prod_v)
        if (prod)
            xml += LineEntry("prod", *prod, ++num, false);
    xml += "</products_t>";

    xml += "</ticket_t>";
    return xml;
}
