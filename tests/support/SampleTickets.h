#ifndef SAMPLETICKETS_H
#define SAMPLETICKETS_H

#include <memory>
#include <string>
#include <vector>

#include "DBTicket.h"

// Tickets for the demo, the end-to-end tests and the benchmark, built in
// memory the way the batching side fills them.
namespace samples {

std::unique_ptr<DBTicket> Imperial();       // weights and prices, US units
std::unique_ptr<DBTicket> Metric();         // metric formula
std::unique_ptr<DBTicket> NoFormula();      // no formula, no materials
std::unique_ptr<DBTicket> SpecialTexts();   // XML-special characters and Latin-1 bytes
std::unique_ptr<DBTicket> Large();          // 12 materials, 8 extra products

// Every sample, in the order above.
std::vector<std::unique_ptr<DBTicket>> All();

// Adds a material or product line to the ticket's list.
DBProduct* AddLine(std::vector<DBProduct*>& list, const std::string& id, const std::string& type,
                   const std::string& description, float amount, float target, float actual, float moisture);

// The INSERT that stores the ticket's row with its snapshot in ticket_t.
std::string InsertStatement(const DBTicket& ticket);

}  // namespace samples

#endif
