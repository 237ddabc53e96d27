#ifndef DBTRUCK_H
#define DBTRUCK_H

#include <string>

#include "DBObject.h"
#include "DBOperation.h"
#include "Truck.h"

// A truck record joined to the database.
class DBTruck : public DBObject, public Truck {
public:
    explicit DBTruck(std::string conninfo);
    DBTruck(const DBTruck&) = delete;
    DBTruck& operator=(const DBTruck&) = delete;

    // The truck_t section of the ticket snapshot.
    std::string xmlString() const;

    // Database operations: fill the object from the snapshot of a stored ticket.
    bool LoadXmlByEntry(int entry);
    bool LoadXmlById(std::string id);

private:
    bool LoadXml(const DBOperation& op, const std::string& where);
};

#endif
