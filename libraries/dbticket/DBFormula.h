#ifndef DBFORMULA_H
#define DBFORMULA_H

#include <string>
#include <vector>

#include "DBObject.h"
#include "RecordColumns.h"
#include "DBProduct.h"
#include "Formula.h"

class DBOperation;

// A mix design joined to the database, with its materials.
class DBFormula : public DBObject, public Formula {
public:
    explicit DBFormula(std::string conninfo);
    ~DBFormula();
    DBFormula(const DBFormula&) = delete;
    DBFormula& operator=(const DBFormula&) = delete;

    int NumMatl() const { return nummatl_c; }
    void NumMatl(int v) { nummatl_c = v; }

    // The formula_t section of the ticket snapshot; the materials are not part of it.
    std::string xmlString() const;

    // Database operations: fill the object from the snapshot of a stored ticket.
    bool LoadXmlByEntry(int entry);
    bool LoadXmlById(std::string id);

    // Database operations on formula_t and its material lines.
    bool LoadDefaults();
    bool LoadByEntry(int entry);
    bool LoadById(std::string id);
    // A formula without material lines does not load.
    bool LoadMatl(std::string id);
    // Every formula without its materials, as a single-formula load reads it,
    // by identifier.
    bool List(std::vector<Formula>& records);
    bool Unique();
    bool Unique(std::string id);
    void DateTimeModified();
    bool Save(bool update);
    bool SaveMatl();
    bool NextEntry();
    // Counts one more batch made with the formula.
    bool Update();
    // Locks the record's row until the unit of work ends, for writing, or
    // with `shared` only against a change or deletion: an office edit or a
    // delete made meanwhile waits. False when the row is gone.
    bool Lock(bool shared = false);
    bool Delete();
    bool DeleteMatl();

    std::vector<DBProduct*> matl_v;  // owned
    // Kept for the record layout; nothing counts with it, so it starts at 0
    // rather than holding an indeterminate value.
    int nummatl_c;

private:
    bool LoadXml(const DBOperation& op, const std::string& where);
};

// Every column of formula_t and the formula's snapshot section.
const RecordTable<Formula>& FormulaTable();

// The statements that store a formula, as functions of the record alone.
std::string FormulaInsertSql(const Formula& formula);
std::string FormulaUpdateSql(const Formula& formula);

#endif
