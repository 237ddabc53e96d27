#ifndef DATABASESETTINGS_H
#define DATABASESETTINGS_H

#include <string>

class Config;

// The libpq connection string of the programs: section [database] of
// "database.f" in the configuration directory (keys "host addr", "port",
// "dbname", "user", "passwd", "connect timeout"; defaults 127.0.0.1, 5432,
// morvik2, morvik2, empty, and the library's 10 seconds). A local host gives "dbname=... user=..." without a host, so libpq
// takes the server from PGHOST and PGPORT or its default socket; any other
// address connects over TCP.
std::string DatabaseConnInfo();
std::string DatabaseConnInfo(const Config& settings);

#endif
