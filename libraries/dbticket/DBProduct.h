#ifndef DBPRODUCT_H
#define DBPRODUCT_H

#include <string>
#include <vector>

#include "DBObject.h"
#include "RecordColumns.h"
#include "Product.h"

// The types of product that are materials, in the order a batch lists them;
// a product of any other type is an extra product sold with the load.
extern const char* const kMaterialTypes[4];

// A product record joined to the database, carrying also the batching figures
// of one line of a batch: a material or an extra product.
class DBProduct : public DBObject, public Product {
public:
    explicit DBProduct(std::string conninfo);
    DBProduct(const DBProduct&) = delete;
    DBProduct& operator=(const DBProduct&) = delete;

    // The seven product elements of a snapshot entry, without a wrapping
    // element: the ticket adds the batching elements and the entry tags.
    std::string xmlString() const;

    // Database operations on product_t.
    bool LoadDefaults();
    bool LoadByEntry(int entry);
    bool LoadById(std::string id);
    // Every product, as a single-product load reads it, by identifier.
    bool List(std::vector<Product>& records);
    bool Unique();
    bool Unique(std::string id);
    void DateTimeModified();
    bool Save(bool update);
    bool NextEntry();
    // Books one use of the product. The first four arguments (the ticket, its
    // customer, job and plant) take no part in the booking: they stay because
    // this is the signature the library publishes and its callers use.
    bool Update(std::string ticket, std::string customer, std::string job, int plant, float target,
                float adjustedtarget, float actual);
    // Locks the record's row until the unit of work ends, for writing, or
    // with `shared` only against a change or deletion: an office edit or a
    // delete made meanwhile waits. False when the row is gone.
    bool Lock(bool shared = false);
    bool Delete();

    float amount_c;
    int position_c;
    float target_c;
    float cumtarget_c;
    float adjustedtarget_c;
    float actual_c;
    float cumactual_c;
    float moisture_c;
    bool over_c;
    float low_tol_c;
    float high_tol_c;
    double scale_start_c;
    double scale_end_c;
};

// The statements that store a product, as functions of the record alone.
// Every column of product_t and of a product's part of a snapshot line.
const RecordTable<Product>& ProductTable();

std::string ProductInsertSql(const Product& product);
std::string ProductUpdateSql(const Product& product);

// Deletes every product a list owns and empties the list. Slots left empty by
// a failed load hold null, which delete passes over.
void DeleteProducts(std::vector<DBProduct*>& list);

#endif
