#ifndef MORVIK_TICKETS_H
#define MORVIK_TICKETS_H

#include <string>
#include <vector>

#include "DBTicket.h"
#include "DBTicketHistory.h"

// The exports of stored tickets.

// One ticket as a JSON document: its own fields, then "customer", "job",
// "formula" and "truck" objects, then "materials" and "products" arrays of
// objects, each field named after its column without "_c"; last the
// snapshot's "digest" and the "events" of its history, as objects.
std::string TicketJson(const DBTicket& ticket, const std::string& digest, const std::vector<TicketEvent>& events);

// One ticket as a one-page PDF e-ticket: the web viewer's page with the
// verification code of the snapshot's `digest` and the QR code of its
// verification address on the web viewer at `base`.
std::string TicketPdf(const DBTicket& ticket, const std::string& digest, const std::string& base);

// A header line and one record per ticket: identifier, invoice, date,
// customer, job, delivery site, formula, truck, driver, batch size, total,
// void (true or false).
std::string TicketsCsv(const std::vector<Ticket>& tickets);

#endif
