#include "Truck.h"

Truck::Truck()
    : entry_c(0),
      dischargerate_c(100.0f),
      dischargecode_c(1),
      maxloadsize_c(0.0f),
      loadsdelivered_c(0),
      yardsdelivered_c(0.0f),
      leftover_c(0.0f)
{
}
