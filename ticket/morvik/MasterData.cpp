// product, customer, truck, formula and job: add, show, list, set, delete.

#include <memory>

#include "Actions.h"
#include "DBCustomer.h"
#include "DBFormula.h"
#include "DBJob.h"
#include "DBProduct.h"
#include "DBTruck.h"
#include "Records.h"

namespace {

bool IsMaterialType(const std::string& type)
{
    for (const char* material : kMaterialTypes)
        if (type == material)
            return true;
    return false;
}

// Every product by identifier, read once: lines name products in any
// letter case and are stored under the identifier the product has.
class ProductIndex {
public:
    explicit ProductIndex(const std::string& conninfo)
    {
        DBProduct reader(conninfo);
        Check(reader.List(products), reader, "reading the products");
    }

    const Product& Find(const std::string& id) const
    {
        for (const Product& product : products)
            if (SameId(product.Id(), id))
                return product;
        throw Failure(Named("product", id) + " not found");
    }

private:
    std::vector<Product> products;
};

// The lines of repeated "--material PRODUCT=AMOUNT" or "--product
// PRODUCT=AMOUNT[@PRICE]" options, numbered in the order given. Every product
// must exist and be of the right sort: a material linked as an extra product,
// or the reverse, would never load back.
void ReadLines(const std::string& conninfo, const Args& args, const std::string& option, bool materials,
               std::vector<DBProduct*>& list)
{
    ProductIndex index(conninfo);
    std::vector<std::unique_ptr<DBProduct>> lines;
    for (const std::string& text : args.Values(option)) {
        Quantity q = ParseQuantity("--" + option, text, !materials);
        const Product& product = index.Find(q.id);
        if (IsMaterialType(product.Type()) != materials)
            throw Failure(Named("product", product.Id()) + (materials ? " is not a material (agg, cmt, admix, water)"
                                                                      : " is a material, not an extra product"));
        auto line = std::make_unique<DBProduct>(conninfo);
        static_cast<Product&>(*line) = product;
        // Held until the command's work is committed: the product cannot be
        // deleted under the list that names it.
        if (!line->Lock(true))
            throw Failure(Named("product", product.Id()) + " not found");
        line->amount_c = q.amount;
        line->position_c = static_cast<int>(lines.size()) + 1;
        if (q.priced)
            line->UnitPrice(q.price);
        lines.push_back(std::move(line));
    }
    DeleteProducts(list);
    for (auto& line : lines)
        list.push_back(line.release());
}

std::string LineText(const std::string& label, const DBProduct& line, bool priced)
{
    return label + ": " + OneLine(line.Id()) + " " + Number(line.amount_c) +
           (priced ? "@" + Number(line.UnitPrice()) : "") + "\n";
}

// A referenced record, stored with the identifier's own letters: the
// bookings find customers by exact identifier.
template <class DB>
std::string StoredId(DB& record, const std::string& kind, const std::string& id)
{
    RequireFound(record.LoadById(id), record, Named(kind, id));
    return StoredId(record);
}

// The parts in which the kinds differ; the actions below are the same for all.
template <class DB, class R>
struct Kind {
    std::string name;
    Columns<R> shown;  // after "entry"; the settable ones are options too
    Columns<R> listed;
    std::vector<OptionDef> extraOptions;
    // Finds the record the command line names, with its identifier as
    // stored (a save writes it back), or throws.
    std::function<void(DB&, const Args&)> load;
    // Takes the options that are not plain fields, before anything is written.
    std::function<void(DB&, const Args&, bool adding)> prepare;
    // Writes what the record links to, after the record itself.
    std::function<void(DB&, const Args&)> saveLinks;
    // The lines "show" adds after the fields: what the record links to.
    std::function<std::string(DB&)> showMore;
};

template <class DB, class R>
void Add(const Kind<DB, R>& kind, Context& ctx, const Args& args)
{
    const std::string& id = args.Positional()[0];
    if (id.empty())
        throw UsageError(kind.name + " add: the identifier is empty");
    DB record(ctx.conninfo);
    Check(record.LoadDefaults(), record, "reading the " + kind.name + " defaults");
    record.Id(id);
    ApplyOptions(kind.shown, args, record);
    if (kind.prepare)
        kind.prepare(record, args, true);
    if (!record.Unique())
        throw Failure(OneMessage(record.ErrorMsg()));
    // The uniqueness check compares exactly, every lookup ignores letter
    // case: a second record that differs in case only could never be found.
    DB other(ctx.conninfo);
    bool clash = true;
    try {
        kind.load(other, args);
    } catch (const Failure&) {
        clash = false;
    }
    if (clash)
        throw Failure(Named(kind.name, id) + " already exists as " + Named(kind.name, other.Id()));
    Check(record.Save(false), record, "adding " + Named(kind.name, id));
    if (kind.saveLinks)
        kind.saveLinks(record, args);
}

template <class DB, class R>
void Show(const Kind<DB, R>& kind, Context& ctx, const Args& args)
{
    DB record(ctx.conninfo);
    kind.load(record, args);
    Columns<R> columns{{"entry", &R::Entry}};
    columns.insert(columns.end(), kind.shown.begin(), kind.shown.end());
    ctx.out << ShowLines(columns, record);
    if (kind.showMore)
        ctx.out << kind.showMore(record);
}

template <class DB, class R>
void List(const Kind<DB, R>& kind, Context& ctx, const Args&)
{
    DB reader(ctx.conninfo);
    std::vector<R> records;
    Check(reader.List(records), reader, "listing the " + kind.name + "s");
    std::vector<std::vector<std::string>> rows;
    for (const R& record : records) {
        rows.emplace_back();
        for (const Column<R>& column : kind.listed)
            rows.back().push_back(Shown(column.get(record)));
    }
    ctx.out << AlignedTable(rows);
}

template <class DB, class R>
void Set(const Kind<DB, R>& kind, Context& ctx, const Args& args)
{
    DB record(ctx.conninfo);
    kind.load(record, args);
    // Another clerk's edit of the record is waited for and then read, so
    // the fields this one does not change keep that edit.
    if (!record.Lock())
        throw Failure(Named(kind.name, args.Positional()[0]) + " not found");
    kind.load(record, args);
    ApplyOptions(kind.shown, args, record);
    if (kind.prepare)
        kind.prepare(record, args, false);
    Check(record.Save(true), record, "changing " + Named(kind.name, record.Id()));
    if (kind.saveLinks)
        kind.saveLinks(record, args);
}

template <class DB, class R>
void Delete(const Kind<DB, R>& kind, Context& ctx, const Args& args)
{
    DB record(ctx.conninfo);
    kind.load(record, args);
    Check(record.Delete(), record, "deleting " + Named(kind.name, record.Id()));
}

template <class DB, class R>
void AddActions(std::vector<Action>& actions, const Kind<DB, R>& kind)
{
    std::vector<OptionDef> fields = OptionDefs(kind.shown);
    fields.insert(fields.end(), kind.extraOptions.begin(), kind.extraOptions.end());
    // The job's key needs its customer everywhere it names one job.
    std::vector<OptionDef> key;
    for (const OptionDef& def : kind.extraOptions)
        if (def.name == "customer")
            key.push_back(def);
    auto bind = [kind](void (*action)(const Kind<DB, R>&, Context&, const Args&)) {
        return [kind, action](Context& ctx, const Args& args) { action(kind, ctx, args); };
    };
    const std::string& n = kind.name;
    actions.push_back({n, "add", "ID", 1, 1, "adds a " + n + ": the " + n + "_w defaults, then the options", fields,
                       AllOrNothing(bind(&Add<DB, R>))});
    actions.push_back({n, "show", "ID", 1, 1, "shows every field of a " + n, key, OneVersion(bind(&Show<DB, R>))});
    actions.push_back({n, "list", "", 0, 0, "lists the " + n + "s by identifier", {}, OneVersion(bind(&List<DB, R>))});
    actions.push_back({n, "set", "ID", 1, 1, "changes the fields given", fields, AllOrNothing(bind(&Set<DB, R>))});
    actions.push_back({n, "delete", "ID", 1, 1, "deletes a " + n, key, AllOrNothing(bind(&Delete<DB, R>))});
}

template <class DB>
std::function<void(DB&, const Args&)> LoadBy(const std::string& kind)
{
    return [kind](DB& record, const Args& args) { StoredId(record, kind, args.Positional()[0]); };
}

Kind<DBProduct, Product> ProductKind()
{
    return {"product", ShownColumns(ProductTable()), Taken(ProductTable(), col::Listed),
            {}, LoadBy<DBProduct>("product"), nullptr, nullptr, nullptr};
}

Kind<DBCustomer, Customer> CustomerKind()
{
    return {"customer", ShownColumns(CustomerTable()), Taken(CustomerTable(), col::Listed),
            {}, LoadBy<DBCustomer>("customer"), nullptr, nullptr, nullptr};
}

Kind<DBTruck, Truck> TruckKind()
{
    return {"truck", ShownColumns(TruckTable()), Taken(TruckTable(), col::Listed),
            {}, LoadBy<DBTruck>("truck"), nullptr, nullptr, nullptr};
}

std::string MaterialLines(const std::vector<DBProduct*>& list)
{
    std::string text;
    for (const DBProduct* line : list)
        if (line)
            text += LineText("material", *line, false);
    return text;
}

Kind<DBFormula, Formula> FormulaKind()
{
    Kind<DBFormula, Formula> kind{
        "formula", ShownColumns(FormulaTable()), Taken(FormulaTable(), col::Listed),
        {{"material", "PRODUCT=AMOUNT", "a material per unit of concrete; the first replaces them all", true}},
        // A formula without materials loads with a failure and no message;
        // it is there all the same.
        LoadBy<DBFormula>("formula"), nullptr, nullptr,
        [](DBFormula& formula) { return MaterialLines(formula.matl_v); }};
    kind.prepare = [](DBFormula& formula, const Args& args, bool adding) {
        // The library does not load a formula without materials, and a job's
        // batches take theirs from it.
        if (adding && !args.Has("material"))
            throw UsageError("formula add needs at least one --material PRODUCT=AMOUNT");
        if (args.Has("material"))
            ReadLines(formula.ConnInfo(), args, "material", true, formula.matl_v);
    };
    kind.saveLinks = [](DBFormula& formula, const Args& args) {
        if (args.Has("material"))
            Check(formula.SaveMatl(), formula, "saving the materials of " + Named("formula", formula.Id()));
    };
    return kind;
}

Kind<DBJob, Job> JobKind()
{
    // The customer and the formula are options of their own: they name records.
    Kind<DBJob, Job> kind{
        "job", ShownColumns(JobTable()), Taken(JobTable(), col::Listed),
        {{"customer", "CUSTOMER", "the job's customer; with the identifier it names the job", false, true},
         {"formula", "FORMULA", "the formula the job's loads are made of", false},
         {"product", "PRODUCT=AMOUNT[@PRICE]", "an extra product of every load; the first replaces them all", true}},
        nullptr, nullptr, nullptr, nullptr};
    kind.load = [](DBJob& job, const Args& args) {
        const std::string& id = args.Positional()[0];
        std::string customer = args.Required("customer");
        RequireFound(job.LoadById(id, customer), job, Named("job", id) + " of " + Named("customer", customer));
        StoredId(job);
    };
    kind.prepare = [](DBJob& job, const Args& args, bool adding) {
        if (adding) {
            DBCustomer customer(job.ConnInfo());
            job.CustomerId(StoredId(customer, "customer", args.Required("customer")));
            args.Required("formula");
        }
        if (args.Has("formula")) {
            DBFormula formula(job.ConnInfo());
            job.FormulaId(StoredId(formula, "formula", args.Value("formula")));
            // A job's loads are priced as its formula unless it says otherwise.
            if (adding && !args.Has("formulaprice"))
                job.FormulaPrice(formula.Price());
        }
        if (args.Has("product"))
            ReadLines(job.ConnInfo(), args, "product", false, job.prod_v);
        // A new job's entry names its links, so it is taken before the insert.
        if (adding)
            Check(job.NextEntry(), job, "numbering the job");
    };
    kind.saveLinks = [](DBJob& job, const Args& args) {
        if (args.Has("product"))
            Check(job.SaveProd(), job, "saving the products of " + Named("job", job.Id()));
    };
    kind.showMore = [](DBJob& job) {
        std::string text = "customer: " + OneLine(job.customer->Id()) + " " + OneLine(job.customer->Name()) + "\n";
        text += "formula: " + OneLine(job.formula->Id()) + " " + OneLine(job.formula->Description()) + "\n";
        text += MaterialLines(job.formula->matl_v);
        for (const DBProduct* line : job.prod_v)
            if (line)
                text += LineText("product", *line, true);
        return text;
    };
    return kind;
}

}  // namespace

std::vector<Action> MasterDataActions()
{
    std::vector<Action> actions;
    AddActions(actions, ProductKind());
    AddActions(actions, CustomerKind());
    AddActions(actions, TruckKind());
    AddActions(actions, FormulaKind());
    AddActions(actions, JobKind());
    return actions;
}
