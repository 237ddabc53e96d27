#include "Product.h"

Product::Product()
    : entry_c(0),
      taxable_c(false),
      unitprice_c(0.0f),
      balance_c(0.0f),
      targetusage1_c(0.0f),
      adjtargetusage1_c(0.0f),
      actualusage1_c(0.0f),
      targetusage2_c(0.0f),
      adjtargetusage2_c(0.0f),
      actualusage2_c(0.0f)
{
}
