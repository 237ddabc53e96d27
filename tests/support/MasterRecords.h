#ifndef MASTERRECORDS_H
#define MASTERRECORDS_H

#include <string>
#include <utility>
#include <vector>

#include "DBProduct.h"

// Master records saved through the library, for tests that need them stored.
// Each builder returns whether everything was saved; a new row takes its
// entry number from the table, except a job's, which is given.
namespace masters {

// One line of a formula's or job's list; `price` is kept only by extra products.
struct Line {
    std::string product;
    float amount;
    int position;
    float price = 0;
};

// Appends a list line per element of `lines`, as a caller fills the list.
void AddLines(const std::string& conninfo, std::vector<DBProduct*>& list, const std::vector<Line>& lines);

bool SaveProduct(const std::string& conninfo, const std::string& id, const std::string& type,
                 const std::string& description);
// Products described by their identifiers, each {id, type}.
bool SaveProducts(const std::string& conninfo, const std::vector<std::pair<std::string, std::string>>& products);
bool SaveCustomer(const std::string& conninfo, const std::string& id, const std::string& name);
bool SaveTruck(const std::string& conninfo, const std::string& id, const std::string& driver);
bool SaveFormula(const std::string& conninfo, const std::string& id, const std::string& description,
                 const std::vector<Line>& materials);
bool SaveJob(const std::string& conninfo, int entry, const std::string& id, const std::string& customer,
             const std::string& deliverto, const std::string& formula, float batchsize,
             const std::vector<Line>& materials = {}, const std::vector<Line>& products = {});

// The plant most tests need: materials SAND and STONE (agg), CEM (cmt), AIR
// (admix) and WATER (water) and the extra product PUMP (fee); customer OHARA
// ("O'Hara Ltd"), truck TR7 with driver "J\xf6rg"; formula MIX30 of all five
// materials; job J1 of OHARA to "Harbour Rd 4" of MIX30 with one PUMP at 45.
bool SavePlant(const std::string& conninfo);

// Queues a one-cycle load of SavePlant's job J1 (truck TR7, size 8, plant 1);
// its entry, 0 when it was refused.
int QueueJ1(const std::string& conninfo);

}  // namespace masters

#endif
