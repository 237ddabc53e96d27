#ifndef JOB_H
#define JOB_H

#include <string>

// An order with its delivery site. Plain value record: every field mirrors the database
// column (and snapshot element) of the same name.
class Job {
public:
    Job();

    int Entry() const { return entry_c; }
    void Entry(int v) { entry_c = v; }
    std::string Id() const { return id_c; }
    void Id(std::string v) { id_c = std::move(v); }
    std::string CustomerId() const { return customerid_c; }
    void CustomerId(std::string v) { customerid_c = std::move(v); }
    std::string FormulaId() const { return formulaid_c; }
    void FormulaId(std::string v) { formulaid_c = std::move(v); }
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
    std::string OrderDate() const { return orderdate_c; }
    void OrderDate(std::string v) { orderdate_c = std::move(v); }
    std::string DeliverDate() const { return deliverdate_c; }
    void DeliverDate(std::string v) { deliverdate_c = std::move(v); }
    std::string DeliverTime() const { return delivertime_c; }
    void DeliverTime(std::string v) { delivertime_c = std::move(v); }
    std::string Instructions() const { return instructions_c; }
    void Instructions(std::string v) { instructions_c = std::move(v); }
    float QuantityOrdered() const { return quantityordered_c; }
    void QuantityOrdered(float v) { quantityordered_c = v; }
    float QuantityDelivered() const { return quantitydelivered_c; }
    void QuantityDelivered(float v) { quantitydelivered_c = v; }
    int LoadsDelivered() const { return loadsdelivered_c; }
    void LoadsDelivered(int v) { loadsdelivered_c = v; }
    float FormulaPrice() const { return formulaprice_c; }
    void FormulaPrice(float v) { formulaprice_c = v; }
    float Batchsize() const { return batchsize_c; }
    void Batchsize(float v) { batchsize_c = v; }
    bool Taxable() const { return taxable_c; }
    void Taxable(bool v) { taxable_c = v; }
    float SalesTax() const { return salestax_c; }
    void SalesTax(float v) { salestax_c = v; }
    float GrandTotal() const { return grandtotal_c; }
    void GrandTotal(float v) { grandtotal_c = v; }
    std::string User() const { return user_c; }
    void User(std::string v) { user_c = std::move(v); }
    std::string Modified() const { return modified_c; }
    void Modified(std::string v) { modified_c = std::move(v); }

private:
    int entry_c;
    std::string id_c;
    std::string customerid_c;
    std::string formulaid_c;
    std::string deliverto_c;
    std::string street_c;
    std::string city_c;
    std::string state_c;
    std::string zipcode_c;
    std::string orderdate_c;
    std::string deliverdate_c;
    std::string delivertime_c;
    std::string instructions_c;
    float quantityordered_c;
    float quantitydelivered_c;
    int loadsdelivered_c;
    float formulaprice_c;
    float batchsize_c;
    bool taxable_c;
    float salestax_c;
    float grandtotal_c;
    std::string user_c;
    std::string modified_c;
};

#endif
