// Loading tickets from their snapshots against the test cluster: the ticket
// loader, the attached-object loaders and the material and product lists.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "8418.h"
#include "DBTicket.h"
#include "FormatString.h"
#include "PgFixture.h"
#include "LogCapture.h"
#include "Process.h"
#include "RecordCheck.h"
#include "SampleTickets.h"

namespace {

const char* const kUnreachable = "hostaddr=127.0.0.1 port=1 dbname=morvik2 user=morvik2";

// `text` with its single occurrence of `from` replaced; the hand-made
// snapshots below must really differ from the written one.
std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    if (at == std::string::npos || text.find(from, at + 1) != std::string::npos) {
        ADD_FAILURE() << "not exactly one \"" << from << "\" in the snapshot";
        return text;
    }
    return text.replace(at, from.size(), to);
}

// A character reference the server's XPath accepts but cannot hand back in
// the LATIN1 database: a statement that reads it fails on the server.
const char* const kUnreadable = "&#x100;";

// The sample with XML-special and Latin-1 texts, with every column a load
// reads set apart from its default and from its neighbours.
std::unique_ptr<DBTicket> Rich()
{
    auto t = samples::SpecialTexts();
    records::Values values;
    records::FillLoaded(*t, values);
    // Line breaks and a tab, and not the sample's form feed: a control
    // character cannot stand in a snapshot.
    t->Instructions("Gate code <4711> & ring\n\"Do not\" block the drive\nAsk for J\xf6rg\tbring ID");
    // A date: the load reads the row's date through the snapshot's decoder,
    // which would turn a literal "&amp;" into "&".
    t->Date("2026-12-02");
    return t;
}

std::unique_ptr<DBTicket> RichFlipped()
{
    auto t = Rich();
    records::FlipFlags(*t);
    return t;
}

// A second ticket in the table, so that a statement that ignores its WHERE
// clause reads the wrong snapshot.
std::unique_ptr<DBTicket> Decoy()
{
    auto t = samples::Large();
    t->Entry(900);
    t->Id("DECOY");
    return t;
}

using records::ExpectSameLine;
using records::ExpectSameLines;
using records::ExpectSameTicket;

class LoadTest : public PgFixture {
protected:
    void Store(const DBTicket& ticket) { Exec(samples::InsertStatement(ticket)); }

    // A row whose snapshot is written by hand.
    void StoreSnapshot(int entry, const std::string& id, const std::string& xml)
    {
        Exec(FormatString("INSERT INTO ticket_t (entry_c, id_c, date_c, xmldata_c) "
                          "VALUES (%i, '%s', '2026-12-01', '%s')",
                          entry, SqlEscape(id).c_str(), SqlEscape(xml).c_str()));
    }

    std::string Logged(const std::function<void()>& action) { return CaptureLog(scratch.Path(), action); }

    TempDir scratch;
};

// ---- every field comes back ----

struct RoundTripCase {
    const char* name;
    std::unique_ptr<DBTicket> (*make)();
};

// Printed by name: gtest would otherwise dump the bytes, padding included.
void PrintTo(const RoundTripCase& c, std::ostream* os)
{
    *os << c.name;
}

class SnapshotRoundTrip : public LoadTest, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(SnapshotRoundTrip, EveryFieldComesBackByIdAndByEntry)
{
    auto want = GetParam().make();
    Store(*want);
    Store(*Decoy());

    DBTicket byId(kOwnerConnInfo);
    ASSERT_TRUE(byId.LoadXmlById(want->Id()));
    {
        SCOPED_TRACE("LoadXmlById");
        ExpectSameTicket(*want, byId);
    }
    EXPECT_EQ("", byId.ErrorMsg());

    DBTicket byEntry(kOwnerConnInfo);
    ASSERT_TRUE(byEntry.LoadXmlByEntry(want->Entry()));
    SCOPED_TRACE("LoadXmlByEntry");
    ExpectSameTicket(*want, byEntry);
}

INSTANTIATE_TEST_SUITE_P(Samples, SnapshotRoundTrip,
                         ::testing::Values(RoundTripCase{"Rich", Rich}, RoundTripCase{"RichFlipped", RichFlipped},
                                           RoundTripCase{"Imperial", samples::Imperial},
                                           RoundTripCase{"Metric", samples::Metric},
                                           RoundTripCase{"NoFormula", samples::NoFormula},
                                           RoundTripCase{"Large", samples::Large}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadTest, TheDriverComesBackDecodedInTicketAndTruck)
{
    auto rich = Rich();
    Store(*rich);
    DBTicket t(kOwnerConnInfo);
    ASSERT_TRUE(t.LoadXmlById("X4004"));
    EXPECT_EQ("Se\xe1n O'Brien", t.Driver());
    EXPECT_EQ("Se\xe1n O'Brien", t.truck->Driver());
    EXPECT_EQ("T'9", t.truck->Id());
    EXPECT_EQ(rich->customer->Name(), t.customer->Name());
}

TEST_F(LoadTest, TheDateComesFromItsColumnNotFromTheSnapshot)
{
    auto rich = Rich();
    std::string xml = Replace(rich->xmlString(), "<batch_t>", "<batch_t><date_c>1999-01-01</date_c>");
    StoreSnapshot(104, "X4004", xml);
    Exec("UPDATE ticket_t SET date_c='2027-03-04'");
    DBTicket t(kOwnerConnInfo);
    ASSERT_TRUE(t.LoadXmlById("X4004"));
    EXPECT_EQ("2027-03-04", t.Date());
    EXPECT_EQ(rich->DateBatched(), t.DateBatched());
}

// ---- which row the identifier finds ----

struct IdCase {
    const char* name;
    std::string requested;
    int entry;            // of the ticket found; 0 for none
    const char* warning;  // the warning logged, if any
    bool caseVariant;     // a second row differing from T1001 only in letter case is tried
};

// Printed by name: gtest would otherwise dump the bytes, padding included.
void PrintTo(const IdCase& c, std::ostream* os)
{
    *os << c.name;
}

class IdLookup : public LoadTest, public ::testing::WithParamInterface<IdCase> {};

TEST_P(IdLookup, FindsExactlyTheTicketWhoseIdMatchesIgnoringCase)
{
    const IdCase& c = GetParam();
    Store(*samples::Imperial());
    auto quoted = samples::Metric();
    quoted->Id("O'Neil-7");
    Store(*quoted);
    if (c.caseVariant) {
        // The schema refuses it: the programs could not tell the two apart.
        auto lower = samples::Imperial();
        lower->Entry(201);
        lower->Id("t1001");
        EXPECT_FALSE(TryExec(samples::InsertStatement(*lower)));
    }

    DBTicket t(kOwnerConnInfo);
    bool ok = false;
    std::string log = Logged([&] { ok = t.LoadXmlById(c.requested); });
    EXPECT_TRUE(ok);
    EXPECT_EQ(c.requested, t.Id());
    EXPECT_EQ("", t.ErrorMsg());
    EXPECT_EQ(std::string::npos, log.find("ERROR:")) << log;
    if (c.entry) {
        EXPECT_EQ(c.entry, t.Entry());
        EXPECT_NE("", t.customer->Id());
        EXPECT_FALSE(t.matl_v.empty());
        EXPECT_EQ(std::string::npos, log.find("WARNING")) << log;
        return;
    }
    EXPECT_TRUE(HasLine(log, "DBTicket.cpp", "LoadXmlById", std::string("\n    WARNING: ") + c.warning + " \n"))
        << log;
    // Nothing else runs and nothing else changes.
    EXPECT_FALSE(HasLine(log, "DBCustomer.cpp", "LoadXmlByEntry", " \n")) << log;
    EXPECT_FALSE(HasLine(log, "DBTicket.cpp", "LoadXmlMatl", " \n")) << log;
    DBTicket fresh("");
    fresh.Id(c.requested);
    ExpectSameTicket(fresh, t);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, IdLookup,
    ::testing::Values(IdCase{"Exact", "T1001", 101, nullptr, false}, IdCase{"OtherCase", "t1001", 101, nullptr, false},
                      IdCase{"Apostrophe", "o'neil-7", 102, nullptr, false},
                      IdCase{"Unknown", "NOPE", 0, "zero results for query", false},
                      IdCase{"Injection", "x' OR '1'='1", 0, "zero results for query", false},
                      IdCase{"CaseVariants", "t1001", 101, nullptr, true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- attached objects with an empty identifier ----

struct AttachedPart {
    const char* name;
    const char* unit;
    void (*clearId)(DBTicket&);
    std::string (*loadedField)(const DBTicket&);  // filled only by that part's loader
};

const AttachedPart kParts[] = {
    {"Customer", "DBCustomer.cpp", [](DBTicket& t) { t.customer->Id(""); },
     [](const DBTicket& t) { return t.customer->Id() + t.customer->Name(); }},
    {"Job", "DBJob.cpp", [](DBTicket& t) { t.job->Id(""); },
     [](const DBTicket& t) { return t.job->Id() + t.job->Deliverto(); }},
    {"Formula", "DBFormula.cpp", [](DBTicket& t) { t.formula->Id(""); },
     [](const DBTicket& t) { return t.formula->Id() + t.formula->Description(); }},
    {"Truck", "DBTruck.cpp", [](DBTicket& t) { t.truck->Id(""); },
     [](const DBTicket& t) { return t.truck->Id() + t.truck->Driver(); }},
};

class EmptyAttachedId : public LoadTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(EmptyAttachedId, SkipsThatLoaderAndLoadsTheRest)
{
    const AttachedPart& empty = kParts[GetParam()];
    auto stored = samples::Imperial();
    empty.clearId(*stored);
    Store(*stored);

    DBTicket t(kOwnerConnInfo);
    bool ok = false;
    std::string log = Logged([&] { ok = t.LoadXmlById("T1001"); });
    EXPECT_TRUE(ok);
    for (const AttachedPart& part : kParts) {
        SCOPED_TRACE(part.name);
        bool skipped = &part == &empty;
        EXPECT_EQ(!skipped, HasLine(log, part.unit, "LoadXmlByEntry", " \n")) << log;
        EXPECT_EQ(skipped, part.loadedField(t).empty());
    }
    EXPECT_EQ(5u, t.matl_v.size());
    EXPECT_EQ(2u, t.prod_v.size());
}

INSTANTIATE_TEST_SUITE_P(Parts, EmptyAttachedId, ::testing::Range<size_t>(0, 4),
                         [](const auto& info) { return std::string(kParts[info.param].name); });

// ---- material and product lists ----

TEST_F(LoadTest, ZeroCountsRunNoLineStatementAndEmptyTheLists)
{
    Store(*Decoy());
    auto imperial = samples::Imperial();
    // Entries the counts leave out, which no statement could read.
    std::string xml = imperial->xmlString();
    xml = Replace(xml, "<nummatl_c>5</nummatl_c>", "<nummatl_c>0</nummatl_c>");
    xml = Replace(xml, "<numprod_c>2</numprod_c>", "<numprod_c>0</numprod_c>");
    xml = Replace(xml, "<id_c>SAND</id_c>", std::string("<id_c>") + kUnreadable + "</id_c>");
    xml = Replace(xml, "<id_c>FUEL</id_c>", std::string("<id_c>") + kUnreadable + "</id_c>");
    StoreSnapshot(101, "T1001", xml);

    DBTicket t(kOwnerConnInfo);
    ASSERT_TRUE(t.LoadXmlById("DECOY"));
    ASSERT_EQ(12u, t.matl_v.size());
    bool ok = false;
    std::string log = Logged([&] { ok = t.LoadXmlById("T1001"); });
    EXPECT_TRUE(ok) << log;
    EXPECT_TRUE(t.matl_v.empty());
    EXPECT_TRUE(t.prod_v.empty());
    EXPECT_TRUE(HasLine(log, "DBTicket.cpp", "LoadXmlMatl", " MATL=0\n")) << log;
    EXPECT_TRUE(HasLine(log, "DBTicket.cpp", "LoadXmlProd", " PROD=0\n")) << log;

    // The left-out entry is unreadable indeed.
    t.NumMatl(1);
    EXPECT_FALSE(t.LoadXmlMatl(101, t.Batchsize()));
}

TEST_F(LoadTest, EachMaterialComesFromTheEntryWithItsNumber)
{
    auto rich = Rich();
    std::string xml = rich->xmlString();
    xml = Replace(xml, "<matl num=\"1\">", "<matl num=\"x\">");
    xml = Replace(xml, "<matl num=\"3\">", "<matl num=\"1\">");
    xml = Replace(xml, "<matl num=\"x\">", "<matl num=\"3\">");
    StoreSnapshot(104, "X4004", xml);

    DBTicket t(kOwnerConnInfo);
    ASSERT_TRUE(t.LoadXmlById("X4004"));
    ASSERT_EQ(3u, t.matl_v.size());
    ASSERT_TRUE(t.matl_v[0] && t.matl_v[1] && t.matl_v[2]);
    ExpectSameLine(*rich->matl_v[2], *t.matl_v[0], true);
    ExpectSameLine(*rich->matl_v[1], *t.matl_v[1], true);
    ExpectSameLine(*rich->matl_v[0], *t.matl_v[2], true);
}

TEST_F(LoadTest, LoadingAgainReplacesTheLists)
{
    Store(*Decoy());
    auto imperial = samples::Imperial();
    Store(*imperial);

    DBTicket t(kOwnerConnInfo);
    ASSERT_TRUE(t.LoadXmlById("DECOY"));
    ASSERT_EQ(12u, t.matl_v.size());
    ASSERT_EQ(8u, t.prod_v.size());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(t.LoadXmlById("T1001"));
        ExpectSameLines(imperial->matl_v, t.matl_v, true);
        ExpectSameLines(imperial->prod_v, t.prod_v, false);
        std::set<const DBProduct*> distinct(t.matl_v.begin(), t.matl_v.end());
        distinct.insert(t.prod_v.begin(), t.prod_v.end());
        EXPECT_EQ(7u, distinct.size());
    }
}

TEST_F(LoadTest, AFailedMaterialStatementStopsTheLoadAndLeavesTheRestEmpty)
{
    auto rich = Rich();
    rich->PrintWeights(true);
    // A type the printed ticket lists and a description it prints whole.
    rich->matl_v[0]->Type("agg");
    rich->matl_v[0]->Description("Sand & grit");
    std::string xml = Replace(rich->xmlString(), "<id_c>CEM</id_c>", std::string("<id_c>") + kUnreadable + "</id_c>");
    StoreSnapshot(104, "X4004", xml);

    DBTicket t(kOwnerConnInfo);
    bool ok = true;
    std::string log = Logged([&] { ok = t.LoadXmlById("X4004"); });
    EXPECT_FALSE(ok);
    ASSERT_EQ(3u, t.matl_v.size());
    ASSERT_NE(nullptr, t.matl_v[0]);
    ExpectSameLine(*rich->matl_v[0], *t.matl_v[0], true);
    EXPECT_EQ(nullptr, t.matl_v[1]);
    EXPECT_EQ(nullptr, t.matl_v[2]);
    EXPECT_TRUE(t.prod_v.empty());
    EXPECT_FALSE(HasLine(log, "DBTicket.cpp", "LoadXmlProd", " \n")) << log;
    EXPECT_NE(std::string::npos, t.ErrorMsg().find("no equivalent in encoding")) << t.ErrorMsg();
    EXPECT_TRUE(HasLine(log, "DBTicket.cpp", "LoadXmlMatl",
                        "\n    QUERY: SELECT pgxml_xpath(ticket_t.xmldata_c, "
                        "'//ticket_t/materials_t/matl[@num=2]/id_c/text()'::text"))
        << log;
    EXPECT_NE(std::string::npos, log.find("entry_c=104 \n    ERROR: ZERO RESULTS FOR THIS ENTRY \n")) << log;
    EXPECT_EQ(rich->customer->Name(), t.customer->Name());

    // The printed copy passes over the empty slots.
    std::ostringstream withSlots;
    PrintTicket(withSlots, &t, "1", "no", 0, 0, "COPY", true, true);
    t.matl_v.erase(std::remove(t.matl_v.begin(), t.matl_v.end(), nullptr), t.matl_v.end());
    std::ostringstream without;
    PrintTicket(without, &t, "1", "no", 0, 0, "COPY", true, true);
    EXPECT_NE(std::string::npos, withSlots.str().find("Sand & grit"));
    EXPECT_EQ(without.str(), withSlots.str());
}

TEST_F(LoadTest, AStatementWithoutARowFailsAndFillsNoSlot)
{
    DBTicket t(kOwnerConnInfo);
    t.NumMatl(2);
    bool ok = true;
    std::string log = Logged([&] { ok = t.LoadXmlMatl(999, 2.5f); });
    EXPECT_FALSE(ok);
    EXPECT_FLOAT_EQ(2.5f, t.Batchsize());
    ASSERT_EQ(2u, t.matl_v.size());
    EXPECT_EQ(nullptr, t.matl_v[0]);
    EXPECT_EQ(nullptr, t.matl_v[1]);
    ASSERT_NE("", t.ErrorMsg());
    EXPECT_NE(std::string::npos, log.find("entry_c=999 \n    ERROR: " + t.ErrorMsg() + " \n")) << log;
}

// ---- the attached-object loaders ----

struct Outcome {
    bool ok;
    std::string error;
    std::string id;
};

template <class T>
Outcome ByEntry(int entry)
{
    T record(PgFixture::kOwnerConnInfo);
    bool ok = record.LoadXmlByEntry(entry);
    return {ok, record.ErrorMsg(), record.Id()};
}

template <class T>
Outcome ById(const std::string& id)
{
    T record(PgFixture::kOwnerConnInfo);
    bool ok = record.LoadXmlById(id);
    return {ok, record.ErrorMsg(), record.Id()};
}

struct AttachedKind {
    const char* name;
    const char* unit;
    bool compact;  // the DBTruck family: several rows are an error
    Outcome (*byEntry)(int);
    Outcome (*byId)(const std::string&);
    const char* metricId;  // its identifier in the Metric sample
};

void PrintTo(const AttachedKind& c, std::ostream* os)
{
    *os << c.name;
}

class AttachedLoad : public LoadTest, public ::testing::WithParamInterface<AttachedKind> {
protected:
    std::string Warning(const char* spaced, const char* compact) const
    {
        return GetParam().compact ? std::string("\n    WARNING: ") + compact + "\n"
                                  : std::string("\n    WARNING: ") + spaced + " \n";
    }
};

TEST_P(AttachedLoad, NoRowIsOnlyAWarning)
{
    const AttachedKind& k = GetParam();
    Store(*samples::Imperial());
    Outcome o{};
    std::string log = Logged([&] { o = k.byEntry(999); });
    EXPECT_TRUE(o.ok);
    EXPECT_EQ("", o.error);
    EXPECT_EQ("", o.id);
    EXPECT_TRUE(HasLine(log, k.unit, "LoadXmlByEntry", Warning("zero results for query", "Zero Results From Query.")))
        << log;
}

TEST_P(AttachedLoad, TwoRowsAreAWarningOrForTheTruckAnError)
{
    const AttachedKind& k = GetParam();
    auto first = samples::Imperial();
    auto second = samples::Imperial();
    second->Id("T1001-B");
    Store(*first);
    Store(*second);
    Outcome o{};
    std::string log = Logged([&] { o = k.byEntry(101); });
    EXPECT_EQ(!k.compact, o.ok);
    EXPECT_EQ(k.compact ? "Multiple Results From Query." : "", o.error);
    EXPECT_EQ("", o.id);
    EXPECT_TRUE(HasLine(log, k.unit, "LoadXmlByEntry",
                        Warning("more than one result for query", "Multiple Results From Query.")))
        << log;
}

TEST_P(AttachedLoad, ByTicketIdIgnoresCaseAndKeepsQuotesInTheLiteral)
{
    const AttachedKind& k = GetParam();
    Store(*samples::Imperial());
    auto quoted = samples::Metric();
    quoted->Id("O'Neil-7");
    Store(*quoted);

    Outcome found = k.byId("o'NEIL-7");
    EXPECT_TRUE(found.ok) << found.error;
    EXPECT_EQ(k.metricId, found.id);

    Outcome none{};
    std::string log = Logged([&] { none = k.byId("x' OR '1'='1"); });
    EXPECT_TRUE(none.ok);
    EXPECT_EQ("", none.id);
    EXPECT_TRUE(HasLine(log, k.unit, "LoadXmlById", Warning("zero results for query", "Zero Results From Query.")))
        << log;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, AttachedLoad,
    ::testing::Values(
        AttachedKind{"Customer", "DBCustomer.cpp", false, ByEntry<DBCustomer>, ById<DBCustomer>, "C200"},
        AttachedKind{"Job", "DBJob.cpp", false, ByEntry<DBJob>, ById<DBJob>, "J600"},
        AttachedKind{"Formula", "DBFormula.cpp", false, ByEntry<DBFormula>, ById<DBFormula>, "M30"},
        AttachedKind{"Truck", "DBTruck.cpp", true, ByEntry<DBTruck>, ById<DBTruck>, "K7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadTest, ATruckSeenTwiceFailsTheTicketLoadAfterTheOtherWarnings)
{
    auto first = samples::Imperial();
    auto second = samples::Imperial();
    second->Id("T1001-B");
    Store(*first);
    Store(*second);

    DBTicket t(kOwnerConnInfo);
    bool ok = true;
    std::string log = Logged([&] { ok = t.LoadXmlById("T1001"); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(101, t.Entry());
    EXPECT_EQ("", t.ErrorMsg());
    EXPECT_EQ("Multiple Results From Query.", t.truck->ErrorMsg());
    EXPECT_EQ("", t.customer->ErrorMsg());
    for (const char* unit : {"DBCustomer.cpp", "DBJob.cpp", "DBFormula.cpp"})
        EXPECT_TRUE(HasLine(log, unit, "LoadXmlByEntry", "\n    WARNING: more than one result for query \n"))
            << unit << "\n"
            << log;
    EXPECT_TRUE(HasLine(log, "DBTruck.cpp", "LoadXmlByEntry", "\n    WARNING: Multiple Results From Query.\n")) << log;
    EXPECT_FALSE(HasLine(log, "DBTicket.cpp", "LoadXmlMatl", " \n")) << log;
    EXPECT_TRUE(t.matl_v.empty());
}

// ---- no server ----

TEST_F(LoadTest, AnUnreachableServerFailsTheLoadWithLibpqsMessage)
{
    Store(*samples::Imperial());
    DBTicket t(kUnreachable);
    bool ok = true;
    std::string log = Logged([&] { ok = t.LoadXmlById("T1001"); });
    EXPECT_FALSE(ok);
    EXPECT_NE(std::string::npos, t.ErrorMsg().find("127.0.0.1")) << t.ErrorMsg();
    EXPECT_NE(std::string::npos, t.ErrorMsg().find("port 1")) << t.ErrorMsg();
    EXPECT_TRUE(HasLine(log, "DBTicket.cpp", "LoadXmlById", "\n    QUERY: SELECT entry_c, date_c, ")) << log;
    EXPECT_NE(std::string::npos, log.find("WHERE LOWER(id_c)=LOWER('T1001') \n    ERROR: " + t.ErrorMsg() + " \n"))
        << log;
    EXPECT_EQ("T1001", t.Id());
    EXPECT_EQ(0, t.Entry());
    EXPECT_EQ("", t.customer->Id());
}

}  // namespace
