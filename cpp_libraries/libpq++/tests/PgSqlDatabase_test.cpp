#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "PgFixture.h"
#include "PgSqlDatabase.h"

namespace {

struct FieldText {
    const char* name;
    const char* text;
    int asInt;
    float asFloat;
    bool asBool;
};

class PgSqlDatabaseConversion : public PgFixture,
                                public ::testing::WithParamInterface<FieldText> {};

TEST_P(PgSqlDatabaseConversion, ReadsFieldTextByNameAndNumber)
{
    const FieldText& field = GetParam();
    PgSqlDatabase db(kOwnerConnInfo);
    ASSERT_TRUE(db.ExecTuplesOk(std::string("SELECT '") + field.text + "'::text AS value"))
        << db.ErrorMessage();

    EXPECT_EQ(db.GetString(0, "value"), field.text);
    EXPECT_EQ(db.GetInt(0, "value"), field.asInt);
    EXPECT_FLOAT_EQ(db.GetFloat(0, "value"), field.asFloat);
    EXPECT_EQ(db.GetBool(0, "value"), field.asBool);

    EXPECT_EQ(db.GetString(0, 0), field.text);
    EXPECT_EQ(db.GetInt(0, 0), field.asInt);
    EXPECT_FLOAT_EQ(db.GetFloat(0, 0), field.asFloat);
    EXPECT_EQ(db.GetBool(0, 0), field.asBool);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PgSqlDatabaseConversion,
    ::testing::Values(FieldText{"t", "t", 0, 0.0f, true},
                      FieldText{"f", "f", 0, 0.0f, false},
                      FieldText{"empty", "", 0, 0.0f, false},
                      FieldText{"true", "true", 0, 0.0f, false},
                      FieldText{"capital_T", "T", 0, 0.0f, false},
                      FieldText{"one", "1", 1, 1.0f, false},
                      FieldText{"integer", "42", 42, 42.0f, false},
                      FieldText{"decimal", "3.9", 3, 3.9f, false},
                      FieldText{"leading_blank", " 7", 7, 7.0f, false},
                      FieldText{"letters", "abc", 0, 0.0f, false},
                      FieldText{"two_places", "2.50", 2, 2.5f, false},
                      FieldText{"negative_prefix", "-12x", -12, -12.0f, false}),
    [](const ::testing::TestParamInfo<FieldText>& info) { return info.param.name; });

class PgSqlDatabaseTest : public PgFixture {};

TEST_F(PgSqlDatabaseTest, NullReadsAsEmptyText)
{
    PgSqlDatabase db(kOwnerConnInfo);
    ASSERT_TRUE(db.ExecTuplesOk("SELECT NULL::text AS missing, ''::text AS empty"));
    EXPECT_EQ(db.GetString(0, "missing"), "");
    EXPECT_EQ(db.GetInt(0, "missing"), 0);
    EXPECT_EQ(db.GetFloat(0, "missing"), 0.0f);
    EXPECT_FALSE(db.GetBool(0, "missing"));
    EXPECT_TRUE(db.GetIsNull(0, "missing"));
    EXPECT_FALSE(db.GetIsNull(0, "empty"));
}

TEST_F(PgSqlDatabaseTest, ReadsTheSchemaColumnTypes)
{
    Exec("INSERT INTO batch_t (entry_c, batchsize_c, mixer_c, printweights_c, printprices_c) "
         "VALUES (5, 8.5, -1, 't', 'f')");
    PgSqlDatabase db(kOwnerConnInfo);
    ASSERT_TRUE(db.ExecTuplesOk("SELECT entry_c, batchsize_c, mixer_c, printweights_c, "
                                "printprices_c, printticket_c FROM batch_t"));
    ASSERT_EQ(db.Tuples(), 1);
    EXPECT_EQ(db.GetInt(0, "entry_c"), 5);
    EXPECT_FLOAT_EQ(db.GetFloat(0, "batchsize_c"), 8.5f);
    EXPECT_EQ(db.GetInt(0, "mixer_c"), -1);
    EXPECT_EQ(db.GetString(0, "printweights_c"), "t");
    EXPECT_TRUE(db.GetBool(0, "printweights_c"));
    EXPECT_FALSE(db.GetBool(0, "printprices_c"));
    EXPECT_FALSE(db.GetBool(0, "printticket_c"));
}

TEST_F(PgSqlDatabaseTest, MissingColumnThrowsNamingIt)
{
    PgSqlDatabase db(kOwnerConnInfo);
    ASSERT_TRUE(db.ExecTuplesOk("SELECT 1 AS present"));
    try {
        db.GetString(0, "absent_c");
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_NE(std::string(e.what()).find("absent_c"), std::string::npos) << e.what();
    }
    EXPECT_THROW(db.GetInt(0, "absent_c"), std::out_of_range);
    EXPECT_THROW(db.GetFloat(0, "absent_c"), std::out_of_range);
    EXPECT_THROW(db.GetBool(0, "absent_c"), std::out_of_range);
    EXPECT_THROW(db.GetValue(0, "absent_c"), std::out_of_range);
    EXPECT_THROW(db.GetString(0, 1), std::out_of_range);
    EXPECT_THROW(db.GetString(0, -1), std::out_of_range);
}

TEST_F(PgSqlDatabaseTest, RowOutOfRangeThrowsNamingIt)
{
    PgSqlDatabase db(kOwnerConnInfo);
    ASSERT_TRUE(db.ExecTuplesOk("SELECT 1 AS present FROM generate_series(1, 2)"));
    EXPECT_EQ(db.GetInt(1, "present"), 1);
    try {
        db.GetInt(2, "present");
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_NE(std::string(e.what()).find("row 2"), std::string::npos) << e.what();
    }
    EXPECT_THROW(db.GetIsNull(7, "present"), std::out_of_range);
}

TEST_F(PgSqlDatabaseTest, FailedStatementLeavesNothingToRead)
{
    PgSqlDatabase db(kOwnerConnInfo);
    EXPECT_EQ(db.ExecTuplesOk("SELECT nothing FROM nowhere_t"), 0);
    EXPECT_NE(db.ErrorMessage().find("nowhere_t"), std::string::npos) << db.ErrorMessage();
    EXPECT_EQ(db.Tuples(), 0);
    EXPECT_THROW(db.GetString(0, "nothing"), std::out_of_range);
}

TEST_F(PgSqlDatabaseTest, SecondExecReplacesTheFirstResult)
{
    PgSqlDatabase db(kOwnerConnInfo);
    ASSERT_TRUE(db.ExecTuplesOk("SELECT 'one' AS first_c FROM generate_series(1, 3)"));
    ASSERT_EQ(db.Tuples(), 3);
    ASSERT_TRUE(db.ExecTuplesOk("SELECT 'two' AS second_c"));
    EXPECT_EQ(db.Tuples(), 1);
    EXPECT_EQ(db.Fields(), 1);
    EXPECT_EQ(db.GetString(0, "second_c"), "two");
    EXPECT_THROW(db.GetString(0, "first_c"), std::out_of_range);
}

TEST_F(PgSqlDatabaseTest, CommandAndQueryStatusesAreKeptApart)
{
    PgSqlDatabase db(kOwnerConnInfo);
    EXPECT_EQ(db.ExecCommandOk("SELECT 1"), 0);
    EXPECT_EQ(db.ExecTuplesOk("INSERT INTO payment_t (plant_c) VALUES (1)"), 0);
    EXPECT_EQ(db.ExecCommandOk("INSERT INTO payment_t (plant_c) VALUES (2)"), 1);
    EXPECT_EQ(Query("SELECT string_agg(plant_c::text, ',') FROM payment_t"), "1,2");
}

TEST_F(PgSqlDatabaseTest, CmdTuplesCountsTouchedRows)
{
    Exec("INSERT INTO payment_t (plant_c) VALUES (1), (1), (2)");
    PgSqlDatabase db(kOwnerConnInfo);
    ASSERT_TRUE(db.ExecCommandOk("UPDATE payment_t SET adjust_c = 1 WHERE plant_c = 1"));
    EXPECT_EQ(db.CmdTuples(), 2);
    ASSERT_TRUE(db.ExecCommandOk("SET client_min_messages = warning"));
    EXPECT_EQ(db.CmdTuples(), -1);
}

TEST_F(PgSqlDatabaseTest, ConnectsOverTcp)
{
    PgSqlDatabase db("hostaddr=127.0.0.1 port=" + Port() + " dbname=morvik2 user=morvik2");
    EXPECT_FALSE(db.ConnectionBad()) << db.ErrorMessage();
    ASSERT_TRUE(db.ExecTuplesOk("SELECT inet_server_addr() AS addr, current_user AS who"))
        << db.ErrorMessage();
    EXPECT_EQ(db.GetString(0, "addr"), "127.0.0.1");
    EXPECT_EQ(db.GetString(0, "who"), "morvik2");
    EXPECT_EQ(db.DBName(), "morvik2");
}

// A port that was free a moment ago: nothing listens on it.
int UnusedPort()
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot find an unused port");
    close(fd);
    return ntohs(address.sin_port);
}

TEST(PgConnectionTest, UnreachableServerFailsTheFirstStatementWithTheConnectMessage)
{
    int port = UnusedPort();
    PgSqlDatabase db("hostaddr=127.0.0.1 port=" + std::to_string(port) +
                     " dbname=morvik2 user=morvik2");
    EXPECT_TRUE(db.ConnectionBad());
    EXPECT_EQ(db.ExecTuplesOk("SELECT 1"), 0);
    std::string message = db.ErrorMessage();
    EXPECT_NE(message.find("port " + std::to_string(port) + " failed"), std::string::npos)
        << message;
    EXPECT_NE(message.find("Connection refused"), std::string::npos) << message;
    EXPECT_EQ(db.ExecCommandOk("UPDATE ticket_t SET invoice_c = 1"), 0);
    EXPECT_EQ(db.ErrorMessage(), message);
    EXPECT_THROW(db.GetString(0, "x"), std::out_of_range);
}

TEST(PgConnectionTest, EveryConnectionWaitsABoundedTime)
{
    EXPECT_EQ(PgConnection::WithTimeout("dbname=morvik2"), "dbname=morvik2 connect_timeout=10");
    EXPECT_EQ(PgConnection::WithTimeout("connect_timeout=3 dbname=x"), "connect_timeout=3 dbname=x");
    EXPECT_EQ(PgConnection::WithTimeout("password='connect_timeout=3'"),
              "password='connect_timeout=3' connect_timeout=10");
}

// A server that takes the connection and never answers: the kernel completes
// the handshake on a listening socket nobody accepts from.
TEST(PgConnectionTest, ASilentServerFailsTheConnectionInsteadOfHanging)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_TRUE(fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                listen(fd, 4) == 0 && getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0);
    PgSqlDatabase db("hostaddr=127.0.0.1 port=" + std::to_string(ntohs(address.sin_port)) +
                     " dbname=morvik2 user=morvik2 connect_timeout=2");
    close(fd);
    EXPECT_TRUE(db.ConnectionBad());
    EXPECT_NE(db.ErrorMessage().find("timeout"), std::string::npos) << db.ErrorMessage();
}

TEST_F(PgSqlDatabaseTest, ConnectionsReadLiteralsTheStandardWayWhateverTheDatabaseSays)
{
    Exec("ALTER DATABASE morvik2 SET standard_conforming_strings = off");
    PgSqlDatabase db(kOwnerConnInfo);
    Exec("ALTER DATABASE morvik2 RESET standard_conforming_strings");
    ASSERT_EQ(db.ExecTuplesOk("SELECT 'a\\'::text AS v"), 1) << db.ErrorMessage();
    EXPECT_EQ(db.GetString(0, "v"), "a\\");
}

}
