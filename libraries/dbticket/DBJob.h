#ifndef DBJOB_H
#define DBJOB_H

#include <string>
#include <vector>

#include "DBCustomer.h"
#include "DBFormula.h"
#include "DBObject.h"
#include "RecordColumns.h"
#include "DBProduct.h"
#include "Job.h"

class DBOperation;

// An order and its delivery site joined to the database. The job owns its own
// customer and formula, separate from those of any ticket that holds the job.
class DBJob : public DBObject, public Job {
public:
    explicit DBJob(std::string conninfo);
    ~DBJob();
    DBJob(const DBJob&) = delete;
    DBJob& operator=(const DBJob&) = delete;

    int NumMatl() const { return nummatl_c; }
    void NumMatl(int v) { nummatl_c = v; }
    int NumProd() const { return numprod_c; }
    void NumProd(int v) { numprod_c = v; }

    // The job_t section of the ticket snapshot; the lists are not part of it.
    std::string xmlString() const;

    // Database operations: fill the object from the snapshot of a stored ticket.
    bool LoadXmlByEntry(int entry);
    bool LoadXmlById(std::string id);

    // Database operations on job_t and the job's links.
    bool LoadDefaults();
    bool LoadByEntry(int entry);
    // The job of `id` for customer `customerid`, both in any letter case.
    bool LoadById(std::string id, std::string customerid);
    // The materials linked under `id`, with targets for a load of `batchsize`.
    bool LoadMatl(std::string id, float batchsize);
    // The extra products linked under `id`, at the link's price.
    bool LoadProd(std::string id, float batchsize);
    // Every job without its attached records, as a single-job load reads it,
    // by identifier and customer.
    bool List(std::vector<Job>& records);
    bool NextEntry();
    bool Unique();
    bool Unique(std::string id);
    void GetDateTime();
    void DateTimeModified();
    bool Save(bool update);
    bool SaveMatl();
    bool SaveProd();
    // Counts one delivered load of `amount`.
    bool Update(float amount);
    // Locks the record's row until the unit of work ends, for writing, or
    // with `shared` only against a change or deletion: an office edit or a
    // delete made meanwhile waits. False when the row is gone.
    bool Lock(bool shared = false);
    bool Delete();
    bool DeleteMatl();
    bool DeleteProd();

    DBCustomer* customer;            // owned
    DBFormula* formula;              // owned
    std::vector<DBProduct*> matl_v;  // owned
    std::vector<DBProduct*> prod_v;  // owned
    // Kept for the record layout; nothing counts with them, so they start at
    // 0 rather than holding indeterminate values.
    int nummatl_c;
    int numprod_c;

private:
    std::string LinkId() const;
    bool LoadRow(const DBOperation& op, const std::string& where, const std::string& key);
    bool LoadXml(const DBOperation& op, const std::string& where);
};

// Every column of job_t and the job's snapshot section.
const RecordTable<Job>& JobTable();

// The statements that store a job, as functions of the record alone.
std::string JobInsertSql(const Job& job);
std::string JobUpdateSql(const Job& job);

#endif
