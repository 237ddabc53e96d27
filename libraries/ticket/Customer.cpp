#include "Customer.h"

Customer::Customer()
    : entry_c(0),
      taxexempt_c(false),
      printticket_c(false),
      balance_c(0.0f),
      creditstatus_c(1),
      totalbatches_c(0),
      totalyards_c(0.0f),
      discount_c(0.0f)
{
}
