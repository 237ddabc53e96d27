#include "Ticket.h"

Ticket::Ticket()
    : entry_c(0),
      invoice_c(0),
      plant_c(1),
      batchsize_c(1.0f),
      returned_c(0.0f),
      watertrim_c(0.0f),
      mixer_c(0),
      cycles_c(1),
      salestax_c(0.0f),
      printweights_c(false),
      printprices_c(false),
      printticket_c(false),
      subtotal_c(0.0f),
      tax_c(0.0f),
      total_c(0.0f),
      formulaprice_c(0.0f),
      void_c(false)
{
}
