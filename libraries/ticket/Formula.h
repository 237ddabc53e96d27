#ifndef FORMULA_H
#define FORMULA_H

#include <string>

// A mix design. Plain value record: every field mirrors the database
// column (and snapshot element) of the same name.
class Formula {
public:
    Formula();

    int Entry() const { return entry_c; }
    void Entry(int v) { entry_c = v; }
    std::string Id() const { return id_c; }
    void Id(std::string v) { id_c = std::move(v); }
    std::string Description() const { return description_c; }
    void Description(std::string v) { description_c = std::move(v); }
    std::string UsMetric() const { return usmetric_c; }
    void UsMetric(std::string v) { usmetric_c = std::move(v); }
    float MaxWaterAmount() const { return maxwateramount_c; }
    void MaxWaterAmount(float v) { maxwateramount_c = v; }
    float WaterCementRatio() const { return watercementratio_c; }
    void WaterCementRatio(float v) { watercementratio_c = v; }
    bool Taxable() const { return taxable_c; }
    void Taxable(bool v) { taxable_c = v; }
    float Price() const { return price_c; }
    void Price(float v) { price_c = v; }
    int TotalBatches() const { return totalbatches_c; }
    void TotalBatches(int v) { totalbatches_c = v; }
    std::string UsageDate() const { return usagedate_c; }
    void UsageDate(std::string v) { usagedate_c = std::move(v); }
    std::string User() const { return user_c; }
    void User(std::string v) { user_c = std::move(v); }
    std::string Modified() const { return modified_c; }
    void Modified(std::string v) { modified_c = std::move(v); }

private:
    int entry_c;
    std::string id_c;
    std::string description_c;
    std::string usmetric_c;
    float maxwateramount_c;
    float watercementratio_c;
    bool taxable_c;
    float price_c;
    int totalbatches_c;
    std::string usagedate_c;
    std::string user_c;
    std::string modified_c;
};

#endif
