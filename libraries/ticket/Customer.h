#ifndef CUSTOMER_H
#define CUSTOMER_H

#include <string>

// A customer of the plant. Plain value record: every field mirrors the database
// column (and snapshot element) of the same name.
class Customer {
public:
    Customer();

    int Entry() const { return entry_c; }
    void Entry(int v) { entry_c = v; }
    std::string Id() const { return id_c; }
    void Id(std::string v) { id_c = std::move(v); }
    std::string Name() const { return name_c; }
    void Name(std::string v) { name_c = std::move(v); }
    std::string Street() const { return street_c; }
    void Street(std::string v) { street_c = std::move(v); }
    std::string City() const { return city_c; }
    void City(std::string v) { city_c = std::move(v); }
    std::string State() const { return state_c; }
    void State(std::string v) { state_c = std::move(v); }
    std::string Zipcode() const { return zipcode_c; }
    void Zipcode(std::string v) { zipcode_c = std::move(v); }
    std::string Phone() const { return phone_c; }
    void Phone(std::string v) { phone_c = std::move(v); }
    std::string Fax() const { return fax_c; }
    void Fax(std::string v) { fax_c = std::move(v); }
    std::string Email() const { return email_c; }
    void Email(std::string v) { email_c = std::move(v); }
    std::string Contact() const { return contact_c; }
    void Contact(std::string v) { contact_c = std::move(v); }
    std::string Cellphone() const { return cellphone_c; }
    void Cellphone(std::string v) { cellphone_c = std::move(v); }
    bool TaxExempt() const { return taxexempt_c; }
    void TaxExempt(bool v) { taxexempt_c = v; }
    bool PrintTicket() const { return printticket_c; }
    void PrintTicket(bool v) { printticket_c = v; }
    float Balance() const { return balance_c; }
    void Balance(float v) { balance_c = v; }
    int CreditStatus() const { return creditstatus_c; }
    void CreditStatus(int v) { creditstatus_c = v; }
    std::string Memo() const { return memo_c; }
    void Memo(std::string v) { memo_c = std::move(v); }
    int TotalBatches() const { return totalbatches_c; }
    void TotalBatches(int v) { totalbatches_c = v; }
    float TotalYards() const { return totalyards_c; }
    void TotalYards(float v) { totalyards_c = v; }
    std::string UsageDate() const { return usagedate_c; }
    void UsageDate(std::string v) { usagedate_c = std::move(v); }
    std::string User() const { return user_c; }
    void User(std::string v) { user_c = std::move(v); }
    std::string Modified() const { return modified_c; }
    void Modified(std::string v) { modified_c = std::move(v); }
    float Discount() const { return discount_c; }
    void Discount(float v) { discount_c = v; }

private:
    int entry_c;
    std::string id_c;
    std::string name_c;
    std::string street_c;
    std::string city_c;
    std::string state_c;
    std::string zipcode_c;
    std::string phone_c;
    std::string fax_c;
    std::string email_c;
    std::string contact_c;
    std::string cellphone_c;
    bool taxexempt_c;
    bool printticket_c;
    float balance_c;
    int creditstatus_c;
    std::string memo_c;
    int totalbatches_c;
    float totalyards_c;
    std::string usagedate_c;
    std::string user_c;
    std::string modified_c;
    float discount_c;
};

#endif
