#ifndef RECORDCOLUMNS_H
#define RECORDCOLUMNS_H

#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <typeinfo>
#include <string>
#include <utility>
#include <vector>

// One table of columns per record, read by everything that handles the
// record's fields: the defaults and row loads, the INSERT and UPDATE, the
// snapshot writer and loader, and the office's show, options and export.
// Adding a column is one line in its record's table, plus the schema.

// A value typed as the record holds it.
struct ColumnValue {
    enum Kind { Text, Real, Double, Integer, Flag } kind;
    std::string text;
    double real = 0;
    long integer = 0;
    bool flag = false;

    ColumnValue(std::string v) : kind(Text), text(std::move(v)) {}
    ColumnValue(float v) : kind(Real), real(v) {}
    ColumnValue(double v) : kind(Double), real(v) {}
    ColumnValue(int v) : kind(Integer), integer(v) {}
    ColumnValue(bool v) : kind(Flag), flag(v) {}

    // The value as the database gives it: a float with atof, an int with
    // atoi, a flag true exactly for "t".
    static ColumnValue FromText(Kind kind, const std::string& text)
    {
        switch (kind) {
        case Real: return ColumnValue(static_cast<float>(std::atof(text.c_str())));
        // Read as a float, as the database layer reads every decimal.
        case Double: return ColumnValue(static_cast<double>(static_cast<float>(std::atof(text.c_str()))));
        case Integer: return ColumnValue(std::atoi(text.c_str()));
        case Flag: return ColumnValue(text == "t");
        case Text: break;
        }
        return ColumnValue(text);
    }
};

// What a column takes part in. Each statement and view takes its columns in
// table order.
namespace col {
enum Use : unsigned {
    Default = 1u << 0,      // set from the record's `_w` defaults table
    DefaultZero = 1u << 1,  // named by the defaults table, but always set to 0
    Load = 1u << 2,         // read by the loads and lists, after their key column
    Insert = 1u << 3,       // written by the INSERT
    Update = 1u << 4,       // written by the UPDATE
    SnapshotOut = 1u << 5,  // written into the record's snapshot section
    SnapshotIn = 1u << 14,  // read back from a snapshot
    Option = 1u << 6,       // set by the office's "--name VALUE"
    Shown = 1u << 7,        // shown by the office beside the snapshot's fields
    Booked = 1u << 8,       // added to by a finished load, on the server

    // How a float is written. Plain floats are "%f" everywhere.
    Money = 1u << 9,            // "%.2f" in statements and the snapshot
    QuotedInUpdate = 1u << 10,  // "'%f'" in the UPDATE, whatever the INSERT writes
    Percent = 1u << 12,         // an option from 0 to 100
    Listed = 1u << 13,          // a column of the office's list
    Unencoded = 1u << 15,       // a snapshot text of digits and separators, written as it is
    Machine = 1u << 16,         // a batching-machine figure the ticket alone holds
    Extra = 1u << 17,           // also on an extra product's line

    Snapshot = SnapshotOut | SnapshotIn,

    Written = Insert | Update,
    Stored = Insert | Update | Load,
};
}  // namespace col

template <class R>
struct RecordColumn {
    // A column read and written through the record's getter and setter.
    // The accessors may be a base class's: such a column is also a column of
    // that class (see As).
    template <class C, class T, class S, class = std::enable_if_t<std::is_base_of_v<C, R>>>
    RecordColumn(const char* column, T (C::*getter)() const, void (C::*setter)(S), unsigned uses,
                 const char* fresh = nullptr)
        : column(column), uses(uses), kind(ColumnValue(T()).kind), fresh(fresh),
          get([getter](const R& r) { return ColumnValue((r.*getter)()); }),
          set([setter](R& r, const ColumnValue& v) { (r.*setter)(Typed<std::decay_t<S>>(v)); })
    {
        if constexpr (!std::is_same_v<C, R>) {
            declaredIn = &typeid(C);
            declared = std::make_shared<RecordColumn<C>>(column, getter, setter, uses, fresh);
        }
    }
    // A snapshot column read from another element than its own section's,
    // such as the job's customer from "customer_t/id_c".
    struct ReadFrom {
        const char* path;
    };
    template <class C, class T, class S>
    RecordColumn(const char* column, T (C::*getter)() const, void (C::*setter)(S), unsigned uses, ReadFrom from)
        : RecordColumn(column, getter, setter, uses)
    {
        readFrom = from.path;
        if (declared)
            std::static_pointer_cast<RecordColumn<C>>(declared)->readFrom = from.path;
    }
    // A column held in a data member.
    template <class T>
    RecordColumn(const char* column, T R::*member, unsigned uses)
        : column(column), uses(uses), kind(ColumnValue(T()).kind),
          get([member](const R& r) { return ColumnValue(r.*member); }),
          set([member](R& r, const ColumnValue& v) { r.*member = Typed<T>(v); })
    {
    }

    bool Has(unsigned use) const { return (uses & use) != 0; }
    // Whether the column's accessors are those of class B, and the column
    // as one of B.
    template <class B>
    bool Of() const
    {
        return std::is_same_v<B, R> ? declaredIn == nullptr : declaredIn && *declaredIn == typeid(B);
    }
    template <class B>
    RecordColumn<B> As() const
    {
        if constexpr (std::is_same_v<B, R>) {
            return *this;
        } else {
            if (!Of<B>())
                throw std::logic_error(std::string("column ") + column + " is not one of that class");
            return *std::static_pointer_cast<RecordColumn<B>>(declared);
        }
    }
    // The column's name without "_c": the office's option and export name.
    std::string Name() const
    {
        std::string name = column;
        return name.size() > 2 && name.compare(name.size() - 2, 2, "_c") == 0 ? name.substr(0, name.size() - 2)
                                                                              : name;
    }
    void SetText(R& record, const std::string& text) const { set(record, ColumnValue::FromText(kind, text)); }

    const char* column;
    unsigned uses;
    ColumnValue::Kind kind;
    // What the INSERT writes instead of the record's value: a new record's start.
    const char* fresh = nullptr;
    // Where a snapshot loader reads the column when not from its own section.
    const char* readFrom = nullptr;
    std::function<ColumnValue(const R&)> get;
    std::function<void(R&, const ColumnValue&)> set;

private:
    template <class>
    friend struct RecordColumn;
    const std::type_info* declaredIn = nullptr;
    std::shared_ptr<void> declared;

    template <class T>
    static T Typed(const ColumnValue& v)
    {
        if constexpr (std::is_same_v<T, std::string>)
            return v.text;
        else if constexpr (std::is_same_v<T, bool>)
            return v.flag;
        else if constexpr (std::is_floating_point_v<T>)
            return static_cast<T>(v.real);
        else
            return static_cast<T>(v.integer);
    }
};

template <class R>
using ColumnList = std::vector<RecordColumn<R>>;

// A record's table: the database table, its snapshot section, and the name
// its identifier is read under from a snapshot (the ticket row's name for it,
// such as "customerid_c").
template <class R>
struct RecordTable {
    const char* table;
    const char* section;
    const char* snapshotId;
    ColumnList<R> columns;

    // The columns that take part in any of `uses`, in table order.
    ColumnList<R> With(unsigned uses) const
    {
        ColumnList<R> chosen;
        for (const RecordColumn<R>& c : columns)
            if (c.Has(uses))
                chosen.push_back(c);
        return chosen;
    }
    // The named columns, in the order given. A name the table does not
    // have is a mistake in the program, not a column to leave out.
    ColumnList<R> Only(std::initializer_list<const char*> names) const
    {
        ColumnList<R> chosen;
        for (const char* name : names) {
            size_t before = chosen.size();
            for (const RecordColumn<R>& c : columns)
                if (std::string(c.column) == name)
                    chosen.push_back(c);
            if (chosen.size() == before)
                throw std::logic_error(std::string(table) + " has no column " + name);
        }
        return chosen;
    }
};

#endif
