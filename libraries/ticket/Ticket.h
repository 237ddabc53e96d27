#ifndef TICKET_H
#define TICKET_H

#include <string>

// One batched load of concrete and its invoice figures. Plain value record: every field mirrors the database
// column (and snapshot element) of the same name.
class Ticket {
public:
    Ticket();

    int Entry() const { return entry_c; }
    void Entry(int v) { entry_c = v; }
    std::string Id() const { return id_c; }
    void Id(std::string v) { id_c = std::move(v); }
    std::string Date() const { return date_c; }
    void Date(std::string v) { date_c = std::move(v); }
    int Invoice() const { return invoice_c; }
    void Invoice(int v) { invoice_c = v; }
    int Plant() const { return plant_c; }
    void Plant(int v) { plant_c = v; }
    std::string CustomerId() const { return customerid_c; }
    void CustomerId(std::string v) { customerid_c = std::move(v); }
    std::string JobId() const { return jobid_c; }
    void JobId(std::string v) { jobid_c = std::move(v); }
    std::string FormulaId() const { return formulaid_c; }
    void FormulaId(std::string v) { formulaid_c = std::move(v); }
    std::string TruckId() const { return truckid_c; }
    void TruckId(std::string v) { truckid_c = std::move(v); }
    float Batchsize() const { return batchsize_c; }
    void Batchsize(float v) { batchsize_c = v; }
    float Returned() const { return returned_c; }
    void Returned(float v) { returned_c = v; }
    float WaterTrim() const { return watertrim_c; }
    void WaterTrim(float v) { watertrim_c = v; }
    int Mixer() const { return mixer_c; }
    void Mixer(int v) { mixer_c = v; }
    int Cycles() const { return cycles_c; }
    void Cycles(int v) { cycles_c = v; }
    float SalesTax() const { return salestax_c; }
    void SalesTax(float v) { salestax_c = v; }
    bool PrintWeights() const { return printweights_c; }
    void PrintWeights(bool v) { printweights_c = v; }
    bool PrintPrices() const { return printprices_c; }
    void PrintPrices(bool v) { printprices_c = v; }
    bool PrintTicket() const { return printticket_c; }
    void PrintTicket(bool v) { printticket_c = v; }
    float Subtotal() const { return subtotal_c; }
    void Subtotal(float v) { subtotal_c = v; }
    float Tax() const { return tax_c; }
    void Tax(float v) { tax_c = v; }
    float Total() const { return total_c; }
    void Total(float v) { total_c = v; }
    std::string OrderNumber() const { return ordernumber_c; }
    void OrderNumber(std::string v) { ordernumber_c = std::move(v); }
    std::string Deliverto() const { return deliverto_c; }
    void Deliverto(std::string v) { deliverto_c = std::move(v); }
    std::string Street() const { return street_c; }
    void Street(std::string v) { street_c = std::move(v); }
    std::string City() const { return city_c; }
    void City(std::string v) { city_c = std::move(v); }
    std::string State() const { return state_c; }
    void State(std::string v) { state_c = std::move(v); }
    std::string Zipcode() const { return zipcode_c; }
    void Zipcode(std::string v) { zipcode_c = std::move(v); }
    std::string Instructions() const { return instructions_c; }
    void Instructions(std::string v) { instructions_c = std::move(v); }
    float FormulaPrice() const { return formulaprice_c; }
    void FormulaPrice(float v) { formulaprice_c = v; }
    std::string Driver() const { return driver_c; }
    void Driver(std::string v) { driver_c = std::move(v); }
    std::string TimeToBatch() const { return timetobatch_c; }
    void TimeToBatch(std::string v) { timetobatch_c = std::move(v); }
    std::string TimeBatched() const { return timebatched_c; }
    void TimeBatched(std::string v) { timebatched_c = std::move(v); }
    std::string DateBatched() const { return datebatched_c; }
    void DateBatched(std::string v) { datebatched_c = std::move(v); }
    bool Void() const { return void_c; }
    void Void(bool v) { void_c = v; }
    std::string User() const { return user_c; }
    void User(std::string v) { user_c = std::move(v); }
    std::string Modified() const { return modified_c; }
    void Modified(std::string v) { modified_c = std::move(v); }

private:
    int entry_c;
    std::string id_c;
    std::string date_c;
    int invoice_c;
    int plant_c;
    std::string customerid_c;
    std::string jobid_c;
    std::string formulaid_c;
    std::string truckid_c;
    float batchsize_c;
    float returned_c;
    float watertrim_c;
    int mixer_c;
    int cycles_c;
    float salestax_c;
    bool printweights_c;
    bool printprices_c;
    bool printticket_c;
    float subtotal_c;
    float tax_c;
    float total_c;
    std::string ordernumber_c;
    std::string deliverto_c;
    std::string street_c;
    std::string city_c;
    std::string state_c;
    std::string zipcode_c;
    std::string instructions_c;
    float formulaprice_c;
    std::string driver_c;
    std::string timetobatch_c;
    std::string timebatched_c;
    std::string datebatched_c;
    bool void_c;
    std::string user_c;
    std::string modified_c;
};

#endif
