#ifndef PRODUCT_H
#define PRODUCT_H

#include <string>

// A material of a formula or an extra product sold with a load. Plain value record: every field mirrors the database
// column (and snapshot element) of the same name.
class Product {
public:
    Product();

    int Entry() const { return entry_c; }
    void Entry(int v) { entry_c = v; }
    std::string Id() const { return id_c; }
    void Id(std::string v) { id_c = std::move(v); }
    std::string Type() const { return type_c; }
    void Type(std::string v) { type_c = std::move(v); }
    std::string Description() const { return description_c; }
    void Description(std::string v) { description_c = std::move(v); }
    std::string UsMetric() const { return usmetric_c; }
    void UsMetric(std::string v) { usmetric_c = std::move(v); }
    std::string UnitMeasure() const { return unitmeasure_c; }
    void UnitMeasure(std::string v) { unitmeasure_c = std::move(v); }
    bool Taxable() const { return taxable_c; }
    void Taxable(bool v) { taxable_c = v; }
    float UnitPrice() const { return unitprice_c; }
    void UnitPrice(float v) { unitprice_c = v; }
    float Balance() const { return balance_c; }
    void Balance(float v) { balance_c = v; }
    float TargetUsage1() const { return targetusage1_c; }
    void TargetUsage1(float v) { targetusage1_c = v; }
    float AdjTargetUsage1() const { return adjtargetusage1_c; }
    void AdjTargetUsage1(float v) { adjtargetusage1_c = v; }
    float ActualUsage1() const { return actualusage1_c; }
    void ActualUsage1(float v) { actualusage1_c = v; }
    std::string Usage1Date() const { return usage1date_c; }
    void Usage1Date(std::string v) { usage1date_c = std::move(v); }
    float TargetUsage2() const { return targetusage2_c; }
    void TargetUsage2(float v) { targetusage2_c = v; }
    float AdjTargetUsage2() const { return adjtargetusage2_c; }
    void AdjTargetUsage2(float v) { adjtargetusage2_c = v; }
    float ActualUsage2() const { return actualusage2_c; }
    void ActualUsage2(float v) { actualusage2_c = v; }
    std::string Usage2Date() const { return usage2date_c; }
    void Usage2Date(std::string v) { usage2date_c = std::move(v); }
    std::string User() const { return user_c; }
    void User(std::string v) { user_c = std::move(v); }
    std::string Modified() const { return modified_c; }
    void Modified(std::string v) { modified_c = std::move(v); }

private:
    int entry_c;
    std::string id_c;
    std::string type_c;
    std::string description_c;
    std::string usmetric_c;
    std::string unitmeasure_c;
    bool taxable_c;
    float unitprice_c;
    float balance_c;
    float targetusage1_c;
    float adjtargetusage1_c;
    float actualusage1_c;
    std::string usage1date_c;
    float targetusage2_c;
    float adjtargetusage2_c;
    float actualusage2_c;
    std::string usage2date_c;
    std::string user_c;
    std::string modified_c;
};

#endif
