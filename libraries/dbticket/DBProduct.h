#ifndef DBPRODUCT_H
#define DBPRODUCT_H

#include <string>
#include <vector>

#include "DBObject.h"
#include "Product.h"

// A product record joined to the database, carrying also the batching figures
// of one line of a batch: a material ("agg", "cmt", "admix", "water") or an
// extra product sold with the load.
class DBProduct : public DBObject, public Product {
public:
    explicit DBProduct(std::string conninfo);
    DBProduct(const DBProduct&) = delete;
    DBProduct& operator=(const DBProduct&) = delete;

    // The seven product elements of a snapshot entry, without a wrapping
    // element: the ticket adds the batching elements and the entry tags.
    std::string xmlString() const;

    // Database operations.

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

// Deletes every product a list owns and empties the list. Slots left empty by
// a failed load hold null, which delete passes over.
void DeleteProducts(std::vector<DBProduct*>& list);

#endif
