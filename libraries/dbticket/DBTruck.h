#ifndef DBTRUCK_H
#define DBTRUCK_H

#include <string>
#include <vector>

#include "DBObject.h"
#include "RecordColumns.h"
#include "Truck.h"

class DBOperation;

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

    // Database operations on truck_t.
    bool LoadDefaults();
    bool LoadByEntry(int entry);
    bool LoadById(std::string id);
    // Every truck, as a single-truck load reads it, by identifier.
    bool List(std::vector<Truck>& records);
    bool Unique();
    bool Unique(std::string id);
    void DateTimeModified();
    bool Save(bool update);
    bool NextEntry();
    // Adds one finished load of `yards` to the truck's delivery counters.
    bool Update(float yards);
    // Locks the record's row until the unit of work ends, for writing, or
    // with `shared` only against a change or deletion: an office edit or a
    // delete made meanwhile waits. False when the row is gone.
    bool Lock(bool shared = false);
    bool Delete();

private:
    bool LoadXml(const DBOperation& op, const std::string& where);
};

// Every column of truck_t and the truck's snapshot section.
const RecordTable<Truck>& TruckTable();

// The statements that store a truck, as functions of the record alone.
std::string TruckInsertSql(const Truck& truck);
std::string TruckUpdateSql(const Truck& truck);

#endif
