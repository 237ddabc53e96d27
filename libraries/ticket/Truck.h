#ifndef TRUCK_H
#define TRUCK_H

#include <string>

// A truck and its driver. Plain value record: every field mirrors the database
// column (and snapshot element) of the same name.
class Truck {
public:
    Truck();

    int Entry() const { return entry_c; }
    void Entry(int v) { entry_c = v; }
    std::string Id() const { return id_c; }
    void Id(std::string v) { id_c = std::move(v); }
    std::string Driver() const { return driver_c; }
    void Driver(std::string v) { driver_c = std::move(v); }
    std::string Cellphone() const { return cellphone_c; }
    void Cellphone(std::string v) { cellphone_c = std::move(v); }
    float DischargeRate() const { return dischargerate_c; }
    void DischargeRate(float v) { dischargerate_c = v; }
    int DischargeCode() const { return dischargecode_c; }
    void DischargeCode(int v) { dischargecode_c = v; }
    float MaxLoadSize() const { return maxloadsize_c; }
    void MaxLoadSize(float v) { maxloadsize_c = v; }
    int LoadsDelivered() const { return loadsdelivered_c; }
    void LoadsDelivered(int v) { loadsdelivered_c = v; }
    float YardsDelivered() const { return yardsdelivered_c; }
    void YardsDelivered(float v) { yardsdelivered_c = v; }
    std::string UsageDate() const { return usagedate_c; }
    void UsageDate(std::string v) { usagedate_c = std::move(v); }
    std::string User() const { return user_c; }
    void User(std::string v) { user_c = std::move(v); }
    std::string Modified() const { return modified_c; }
    void Modified(std::string v) { modified_c = std::move(v); }
    std::string OnJob() const { return onjob_c; }
    void OnJob(std::string v) { onjob_c = std::move(v); }
    std::string OffJob() const { return offjob_c; }
    void OffJob(std::string v) { offjob_c = std::move(v); }
    float LeftOver() const { return leftover_c; }
    void LeftOver(float v) { leftover_c = v; }

private:
    int entry_c;
    std::string id_c;
    std::string driver_c;
    std::string cellphone_c;
    float dischargerate_c;
    int dischargecode_c;
    float maxloadsize_c;
    int loadsdelivered_c;
    float yardsdelivered_c;
    std::string usagedate_c;
    std::string user_c;
    std::string modified_c;
    std::string onjob_c;
    std::string offjob_c;
    float leftover_c;
};

#endif
