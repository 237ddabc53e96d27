#ifndef DBCUSTOMER_H
#define DBCUSTOMER_H

#include <string>
#include <vector>

#include "Customer.h"
#include "DBObject.h"
#include "RecordColumns.h"

class DBOperation;

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

    // Database operations on customer_t and payment_t.
    bool LoadDefaults();
    bool LoadByEntry(int entry);
    bool LoadById(std::string id);
    // Every customer, as a single-customer load reads it, by identifier.
    bool List(std::vector<Customer>& records);
    bool Unique();
    bool Unique(std::string id);
    void DateTimeModified();
    bool Save(bool update);
    bool NextEntry();
    // Adds one finished load (ticket `id` of `plant`, costing `total`, of
    // `yards`) to the customer and records its payment line.
    bool Update(int plant, std::string id, float total, float yards);
    // Locks the record's row until the unit of work ends, for writing, or
    // with `shared` only against a change or deletion: an office edit or a
    // delete made meanwhile waits. False when the row is gone.
    bool Lock(bool shared = false);
    bool Delete();

private:
    bool LoadXml(const DBOperation& op, const std::string& where);
};

// Every column of customer_t: what each statement, the snapshot and the
// office take of a customer.
const RecordTable<Customer>& CustomerTable();

// The statements that store a customer, as functions of the record alone.
std::string CustomerInsertSql(const Customer& customer);
std::string CustomerUpdateSql(const Customer& customer);

#endif
