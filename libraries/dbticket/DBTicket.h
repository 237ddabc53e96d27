#ifndef DBTICKET_H
#define DBTICKET_H

#include <functional>
#include <string>
#include <vector>

#include "DBCustomer.h"
#include "DBFormula.h"
#include "DBJob.h"
#include "DBObject.h"
#include "DBProduct.h"
#include "DBTruck.h"
#include "Ticket.h"

class DBOperation;

class Mutex;

// What the office asks for when it queues a load.
struct LoadOrder {
    std::string job;
    std::string customer;  // the job's
    std::string truck;
    float size = 0;  // what one cycle batches
    int cycles = 1;
    std::string id;  // "Entry" and the entry number when empty
    // The office's own choices, made over what the job and customer give.
    std::function<void(Ticket&)> choose;
};

// A value the plant read for one material of a cycle: what it weighed, or
// its moisture in percent.
struct Reading {
    std::string product;
    float value;
};

// One ticket together with everything it refers to: the customer, job,
// formula and truck, and the materials and extra products of the batch. The
// ticket owns all of them.
class DBTicket : public DBObject, public Ticket {
public:
    explicit DBTicket(std::string conninfo);
    ~DBTicket();
    DBTicket(const DBTicket&) = delete;
    DBTicket& operator=(const DBTicket&) = delete;

    int NumMatl() const { return nummatl_c; }
    void NumMatl(int v) { nummatl_c = v; }
    int NumProd() const { return numprod_c; }
    void NumProd(int v) { numprod_c = v; }
    bool InspectBatch() const { return inspect_batch; }
    void InspectBatch(bool v) { inspect_batch = v; }
    bool ManualBatch() const { return manual_batch; }
    void ManualBatch(bool v) { manual_batch = v; }
    bool ManualWeighup() const { return manual_weighup; }
    void ManualWeighup(bool v) { manual_weighup = v; }
    bool ManualDischarge() const { return manual_discharge; }
    void ManualDischarge(bool v) { manual_discharge = v; }
    bool SimulatedBatch() const { return simulated_batch; }
    void SimulatedBatch(bool v) { simulated_batch = v; }
    std::string TimeCreated() const { return timecreated_c; }
    void TimeCreated(std::string v) { timecreated_c = std::move(v); }
    std::string TimeStarted() const { return timestarted_c; }
    void TimeStarted(std::string v) { timestarted_c = std::move(v); }
    std::string TimeFinished() const { return timefinished_c; }
    void TimeFinished(std::string v) { timefinished_c = std::move(v); }
    int MixingTime() const { return mixing_time; }
    void MixingTime(int v) { mixing_time = v; }
    int MixTime() const { return mix_time; }
    void MixTime(int v) { mix_time = v; }
    int SlumpWater() const { return slump_water; }
    void SlumpWater(int v) { slump_water = v; }

    // Whether the ticket's formula is in metric units; the printed ticket
    // chooses its units by it.
    bool IsFormulaMetric() const;

    // The whole ticket snapshot. Not a pure read, although const: it first
    // copies the ticket's delivery address, instructions and driver into the
    // attached job and truck, which keep them, so the snapshot never shows a
    // stale address or driver. It stays const because the statements that
    // store a ticket are built from a const ticket (TicketInsertSql) and the
    // job and truck are reached through pointers.
    std::string xmlString() const;

    // Database operations: loading a stored ticket from its snapshot.
    bool LoadXmlById(std::string id);
    bool LoadXmlByEntry(int entry);
    bool LoadXmlMatl(int entry, float batchsize);
    bool LoadXmlProd(int entry, float batchsize);
    // The SHA-256 of the stored snapshot's bytes of the ticket with this
    // entry, as 64 lowercase hexadecimal digits; the identifier is taken as
    // stored too (a load by identifier keeps the letter case asked for).
    // False when there is no such ticket.
    bool SnapshotDigest(std::string& digest);
    // The stored tickets whose date_c begins with `date` (every ticket for an
    // empty one), by entry: identifier, entry, date, invoice, void, and from
    // the snapshot the customer, job, delivery site, formula, truck, driver,
    // batch size and total.
    bool ListTickets(const std::string& date, std::vector<Ticket>& records);

    // Database operations: numbers from the database's sequences, and the
    // plant's delivery counters.
    bool NextEntry();
    bool NextTicketEntry();
    bool NextInvoice();
    bool UpdateCounters();

    // Database operations: a queued batch with its master records and lines,
    // read from the live tables.
    bool LoadDefaults();
    bool LoadByEntry(int entry);
    bool LoadById(std::string id);
    // The batch rows of the queue without their attached records, by entry.
    bool ListBatches(std::vector<Ticket>& records);
    // The materials linked under `id`, by type (agg, cmt, admix, water) and
    // position, with targets for a batch of `batchsize`.
    bool LoadMatl(std::string id, float batchsize);
    // The extra products linked under `id`, at the link's price.
    bool LoadProd(std::string id, float batchsize);

    // Database operations: the batch queue and its cycles. A batch's lines are
    // linked under "Batch" followed by its identifier.
    bool Batch(bool update);
    // Queues the remaining cycles as a new batch with copies of the links;
    // returns the new entry, or 0 when no entry number could be taken.
    int NextCycle();
    void Resize(float batchsize);
    bool SaveMatl();
    bool SaveProd();
    bool VoidBatch();
    bool Delete();
    bool DeleteMatl();
    bool DeleteProd();
    // The largest load the ticket's truck carries.
    float MaxLoadSize() const;

    // Database operations: a load's life, each one unit of work (all or
    // nothing). Each returns false with the reason in ErrorMsg().
    // Queues a load of the order's job: the batch row with the job's site,
    // price and tax, the formula's materials and the job's extra products as
    // its links. This ticket becomes the queued batch.
    bool QueueLoad(const LoadOrder& order);
    // Finishes the next cycle of queued batch `entry`: claims it, weighs up,
    // numbers and prices the ticket, stores it, books its usage, queues the
    // remaining cycles and takes the batch off the queue. This ticket becomes
    // the stored ticket. A second finisher of the batch makes nothing and is
    // told the batch is not found.
    bool FinishBatch(int entry, const std::vector<Reading>& actuals, const std::vector<Reading>& moistures);
    // Voids queued batch `entry`; one being finished is waited for, and then
    // is not found.
    bool VoidQueued(int entry);
    // Locks the batch row of `entry` until the unit of work ends: a second
    // claimant waits, then finds nothing if the first took the batch off.
    // False, with "batch N not found", when no row has the entry.
    bool ClaimBatch(int entry);
    // Moisture as given; the adjusted target is the wet target,
    // target × (1 + moisture / 100); the actual as given, else the adjusted
    // target. False for a material the batch does not hold.
    bool WeighUp(const std::vector<Reading>& actuals, const std::vector<Reading>& moistures);
    // Subtotal: the formula price times the batch size plus every extra
    // product's price times its quantity, each rounded to the cent; tax: the
    // sales tax (percent) of the subtotal, to the cent; total: both.
    void Price();

    // Database operations: the finished ticket, its usage and its stamps.
    bool Save(bool update);
    bool Update();
    bool VoidTicket();
    // Voids the stored ticket of this entry for `reason`, recorded in its
    // history, as one unit of work; a ticket already void is refused.
    bool VoidStored(const std::string& reason);
    void GetDateTimeStart();
    void GetDateTime();
    void DateTimeModified();

    DBCustomer* customer;            // owned
    DBJob* job;                      // owned
    DBFormula* formula;              // owned
    DBTruck* truck;                  // owned
    std::vector<DBProduct*> matl_v;  // owned, in load order
    std::vector<DBProduct*> prod_v;  // owned, in load order
    double agg1_scale_start;
    double agg1_scale_end;
    double cmt1_scale_start;
    double cmt1_scale_end;

protected:
    Mutex* mutex;  // owned; nothing takes it

private:
    // The part of xmlString() that changes the job and the truck.
    void CopySiteToJobAndTruck() const;
    std::string BatchLinkId() const;
    bool PlantKnown(const DBOperation& op);
    bool LoadBatch(const DBOperation& op, const std::string& key, const std::string& where);
    bool LoadXml(const DBOperation& op, bool byEntry, const std::string& where);
    bool LoadXmlLines(const DBOperation& op, std::vector<DBProduct*>& list, int count, bool material, int entry);

    // The snapshot loaders set both counts before anything reads them; they
    // start at 0 so that a ticket that was never loaded holds no garbage.
    int nummatl_c;
    int numprod_c;
    bool inspect_batch;
    bool manual_batch;
    bool manual_weighup;
    bool manual_discharge;
    bool simulated_batch;
    int mixing_time;
    int mix_time;
    std::string timecreated_c;
    std::string timestarted_c;
    std::string timefinished_c;
    int slump_water;
};

// The statements that queue a batch and store a ticket, as functions of the
// record alone.
// Every column of a ticket: the snapshot's batch section, the batch and
// ticket rows, the defaults.
const RecordTable<DBTicket>& TicketTable();
// The columns a snapshot's material and product lines add to the product's.
const RecordTable<DBProduct>& LineTable();

std::string BatchInsertSql(const Ticket& batch);
std::string BatchUpdateSql(const Ticket& batch);
std::string TicketInsertSql(const DBTicket& ticket);
std::string TicketUpdateSql(const DBTicket& ticket);

#endif
