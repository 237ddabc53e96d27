#ifndef PRODUCTLINKS_H
#define PRODUCTLINKS_H

#include <string>
#include <vector>

#include "DBOperation.h"
#include "DBProduct.h"

// The material and extra-product lists of formulas, jobs and queued batches:
// rows of productlinker_t under one link identifier, typed 'matl' or 'prod'.

// The materials linked under `linkid`, grouped by type name (admix, agg, cmt,
// water) and by position within a type.
std::string MaterialLinksSql(const std::string& linkid);
// The extra products linked under `linkid` with the link's price, by position.
std::string ProductLinksSql(const std::string& linkid);

// Run a link query and append one line per row, in row order, each loaded by
// the row's productid_c (a missing master record still makes a line) and
// given the link's amount and position.
// Materials: the target is the amount for a load of `batchsize`; nothing is
// weighed yet.
bool LoadMaterialLinks(const DBOperation& op, const std::string& conninfo, const std::string& query,
                       float batchsize, std::vector<DBProduct*>& list);
// Extra products under `linkid`: the link's price replaces the product's, and
// the quantity is absolute, target and actual alike.
bool LoadProductLinks(const DBOperation& op, const std::string& conninfo, const std::string& linkid,
                      std::vector<DBProduct*>& list);

// "DELETE FROM productlinker_t WHERE LOWER(linkid_c)=LOWER('...') AND producttype_c='matl'"
std::string LinkDeleteSql(const std::string& linkid, const char* type);
// The link of one list line: a material ("matl") without a price, an extra
// product ("prod") with its unit price, so that the price reads back.
std::string LinkInsertSql(const std::string& linkid, const DBProduct& line, bool withPrice);

// Why `id` may not name a new formula, whose links are filed under its own
// identifier: they would be read as a batch's ("Batch" and anything) or a
// job's ("Job" and digits), in any letter case; "" when it may.
std::string FormulaLinkClash(const std::string& id);

// Names in user_c a formula, job or queued batch whose list holds product
// `id`: "formula 'F1'", "job 'J1' of customer 'C1'" or "batch 'Entry4'".
std::string ProductUsersSql(const std::string& id);

// Replaces the links of `type` under `linkid` by `lines` as one unit: the
// deletion and the insertions run in one transaction, serialised against any
// other rewrite of the same link set, so the set is never lost or doubled.
bool ReplaceLinks(const DBOperation& op, const std::string& linkid, const char* type,
                  const std::vector<DBProduct*>& lines, FailureReport report);

#endif
