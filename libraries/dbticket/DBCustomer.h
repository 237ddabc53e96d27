#ifndef DBCUSTOMER_H
#define DBCUSTOMER_H

#include <string>

#include "Customer.h"
#include "DBObject.h"
#include "DBOperation.h"

// A customer record joined to the database.
class DBCustomer : public DBObject, public Customer {
public:
    explicit DBCustomer(std::string conninfo);
    DBCustomer(const DBCustomer&) = delete;
    DBCustomer& operator=(const DBCustomer&) = delete;

    // The customer_t section of the ticket snapshot.
    std::string xmlString() const;

    // Database operations: fill the object from the snapshot of a stored ticket.
    bool LoadXmlByEntry(int entry);
    bool LoadXmlById(std::string id);

private:
    bool LoadXml(const DBOperation& op, const std::string& where);
};

#endif
