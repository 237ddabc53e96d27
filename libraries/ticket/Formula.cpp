#include "Formula.h"

Formula::Formula()
    : entry_c(0),
      maxwateramount_c(0.0f),
      watercementratio_c(0.0f),
      taxable_c(false),
      price_c(0.0f),
      totalbatches_c(0)
{
}
