#ifndef DBTICKETSITE_H
#define DBTICKETSITE_H

#include "DBOperation.h"

// DBTicket's operations live in several files by concern; their log lines all
// name the one source unit the class is.
#define TICKET_SITE (LogSite{"DBTicket.cpp", __LINE__, __func__, LogFamily::Spaced})
#undef OPERATION_SITE
#define OPERATION_SITE TICKET_SITE

#endif
