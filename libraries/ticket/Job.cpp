#include "Job.h"

Job::Job()
    : entry_c(0),
      quantityordered_c(0.0f),
      quantitydelivered_c(0.0f),
      loadsdelivered_c(0),
      formulaprice_c(0.0f),
      batchsize_c(0.0f),
      taxable_c(false),
      salestax_c(0.0f),
      grandtotal_c(0.0f)
{
}
