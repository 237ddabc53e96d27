#include "DatabaseSettings.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ConfigRW.h"

namespace {

struct SettingsCase {
    std::string file;
    std::string conninfo;
};

void PrintTo(const SettingsCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.file);
}

class DatabaseSettings : public ::testing::TestWithParam<SettingsCase> {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/dbsettings_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ConfigRW::setPath(dir + "/");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string dir;
};

TEST_P(DatabaseSettings, BecomeTheConnectionString)
{
    std::ofstream(dir + "/database.f", std::ios::binary) << GetParam().file;
    EXPECT_EQ(GetParam().conninfo, DatabaseConnInfo());
}

INSTANTIATE_TEST_SUITE_P(
    Files, DatabaseSettings,
    ::testing::Values(
        SettingsCase{"", "dbname=morvik2 user=morvik2"},
        SettingsCase{"[database]\nhost addr=localhost\ndbname=plant\nuser=office\n", "dbname=plant user=office"},
        SettingsCase{"[database]\nhost addr=10.0.0.5\n",
                     "hostaddr=10.0.0.5 port=5432 dbname=morvik2 user=morvik2 password=''"},
        // An empty password stays one value, not the start of the next key.
        SettingsCase{"[database]\r\nhost addr=10.0.0.5\r\nconnect timeout=3\r\n",
                     "hostaddr=10.0.0.5 port=5432 dbname=morvik2 user=morvik2 password='' connect_timeout=3"},
        SettingsCase{"[database]\nhost addr=localhost\nconnect timeout=4\n", "dbname=morvik2 user=morvik2 connect_timeout=4"},
        SettingsCase{"[database]\nhost addr=10.0.0.5\nport=6432\npasswd=it's a \\secret\n",
                     "hostaddr=10.0.0.5 port=6432 dbname=morvik2 user=morvik2 password='it\\'s a \\\\secret'"}));

}  // namespace
