#ifndef MORVIK_BATCHES_H
#define MORVIK_BATCHES_H

#include <vector>

#include "Cli.h"
#include "DBTicket.h"

// The figures of a finished cycle, worked out in memory before it is stored.

// Moisture as given (percent); the adjusted target is the wet target,
// target × (1 + moisture / 100); the actual as given, else the adjusted
// target. A material the batch does not hold is a Failure.
void WeighUp(DBTicket& batch, const std::vector<Quantity>& actuals, const std::vector<Quantity>& moistures);

// Subtotal: the formula price times the batch size plus every extra product's
// price times its quantity, each rounded to the cent; tax: the sales tax
// (percent) of the subtotal, to the cent; total: both.
void PriceTicket(Ticket& ticket, const std::vector<DBProduct*>& products);

#endif
