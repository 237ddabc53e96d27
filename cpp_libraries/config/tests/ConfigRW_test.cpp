#include "ConfigRW.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

using std::string;

// "[section]key:<value><value>;..." for comparing whole contents at once.
string Dump(const ConfigRW& config)
{
    string text;
    for (ConfigRW::const_group_iterator s = config.begin(); s != config.end(); ++s) {
        text += "[" + s->first + "]";
        for (ConfigRW::const_property_iterator e = s->second.begin(); e != s->second.end(); ++e) {
            text += e->first + ":";
            for (ConfigRW::const_value_iterator v = e->second.begin(); v != e->second.end(); ++v)
                text += "<" + *v + ">";
            text += ";";
        }
    }
    return text;
}

string Slurp(const string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every test gets its own configuration directory; log lines are copied to
// standard error, which Logged() captures into a file of that directory.
class ConfigFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/configrw_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ConfigRW::setPath(dir + "/");
        openlog("configrw_test", LOG_PERROR, LOG_USER);
    }

    void TearDown() override
    {
        closelog();
        std::filesystem::remove_all(dir);
    }

    void WriteFile(const string& name, const string& text)
    {
        std::ofstream(dir + "/" + name, std::ios::binary) << text;
    }

    string Logged(const std::function<void()>& action)
    {
        string log = dir + "/stderr.log";
        fflush(stderr);
        int saved = dup(2);
        int fd = open(log.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        dup2(fd, 2);
        close(fd);
        action();
        fflush(stderr);
        dup2(saved, 2);
        close(saved);
        return Slurp(log);
    }

    string dir;
};

struct FileCase {
    string file;
    string contents;
};

void PrintTo(const FileCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.file);
}

class ConfigGrammar : public ConfigFiles, public ::testing::WithParamInterface<FileCase> {};

TEST_P(ConfigGrammar, ReadsSectionsEntriesAndValues)
{
    WriteFile("test.f", GetParam().file);
    ConfigRW config("test.f");
    EXPECT_EQ(Dump(config), GetParam().contents);
}

INSTANTIATE_TEST_SUITE_P(Lines, ConfigGrammar, ::testing::Values(
    FileCase{"[db]\nport = 5432\n", "[db]port :< 5432>;"},
    FileCase{"[db]\nk=a=b\n=v\n", "[db]k:<a=b>;:<v>;"},
    FileCase{"[printer1] old\nk=v\n[a]b]\nk=w\n", "[printer1]k:<v>;[a]k:<w>;"},
    FileCase{"top=1\n[broken\nk=v\n[]\nj=w\n", "[]top:<1>;k:<v>;j:<w>;"},
    FileCase{"[s]\r\nk=v\r\nraw=t\r\nmid=a\rb\r\n", "[s]k:<v>;raw:<t>;mid:<a\rb>;"},
    FileCase{"[s]\n#note\n#k=v\n;x=y\n", "[s]#k:<v>;;x:<y>;"},
    FileCase{"\n\n[s]\n\nk=v\n\nlast=end", "[s]k:<v>;last:<end>;"},
    FileCase{"[empty]\n[b]\nx=1\n[a]\ny=2\n[b]\nz=3\nx=4\n", "[b]x:<1>;z:<3>;x:<4>;[a]y:<2>;"},
    FileCase{"[s]\nk=\n", "[s]k:;"},
    FileCase{"[s]\nk=a||b\n", "[s]k:<a><b>;"},
    FileCase{"[s]\nk=a||\n", "[s]k:<a>;"},
    FileCase{"[s]\nk=||b\n", "[s]k:<><b>;"},
    FileCase{"[s]\nk=a||||b\n", "[s]k:<a><><b>;"},
    FileCase{"[s]\nk=a|||b\n", "[s]k:<a><|b>;"}));

TEST_F(ConfigFiles, LookupsFindTheFirstValueOrGiveTheDefault)
{
    WriteFile("test.f",
              "[s]\nport = 5432\nk=\nk=first\nk=second\nt=t\ntrue=true\nT=T\none=1\nf=f\n"
              "abc=abc\nmixed=12abc\nneg= -7\npi=3.25\nmarker=default_value\nnone=\nhuge=99999999999\n");
    ConfigRW config("test.f");
    EXPECT_EQ(config.ReadStringEntry("s", "port", "DEF"), "DEF");
    EXPECT_EQ(config.ReadStringEntry("s", "k", "DEF"), "first");
    EXPECT_EQ(config.ReadStringEntry("S", "k", "DEF"), "DEF");
    EXPECT_EQ(config.ReadStringEntry("s", "K", "DEF"), "DEF");
    EXPECT_TRUE(config.ReadBoolEntry("s", "t", false));
    for (const char* key : {"true", "T", "one", "f"})
        EXPECT_FALSE(config.ReadBoolEntry("s", key, true)) << key;
    for (const char* key : {"missing", "none", "marker"})
        EXPECT_TRUE(config.ReadBoolEntry("s", key, true)) << key;
    EXPECT_EQ(config.ReadIntEntry("s", "abc", 5), 0);
    EXPECT_EQ(config.ReadIntEntry("s", "mixed", 5), 12);
    EXPECT_EQ(config.ReadIntEntry("s", "neg", 5), -7);
    EXPECT_EQ(config.ReadIntEntry("s", "huge", 5), 2147483647);
    EXPECT_EQ(config.ReadIntEntry("s", "marker", 5), 5);
    EXPECT_EQ(config.ReadIntEntry("nosection", "abc", 5), 5);
    EXPECT_FLOAT_EQ(config.ReadFloatEntry("s", "pi", 1.0f), 3.25f);
    EXPECT_FLOAT_EQ(config.ReadFloatEntry("s", "marker", 1.5f), 1.5f);
    EXPECT_FLOAT_EQ(config.ReadFloatEntry("s", "none", 1.5f), 1.5f);
}

TEST_F(ConfigFiles, WritesAndRemovesChangeMemoryOnly)
{
    WriteFile("test.f", "[s]\nk=1||x\nk=2\nj=3\n[t]\nk=4\n");
    ConfigRW config("test.f");
    EXPECT_TRUE(config.WriteStringEntry("s", "k", "a||b"));
    EXPECT_TRUE(config.WriteIntEntry("s", "i", -3));
    EXPECT_TRUE(config.WriteFloatEntry("n", "f", 1.5f));
    EXPECT_TRUE(config.WriteBoolEntry("n", "yes", true));
    EXPECT_TRUE(config.WriteBoolEntry("n", "no", false));
    EXPECT_EQ(Dump(config), "[s]k:<a||b>;k:<2>;j:<3>;i:<-3>;[t]k:<4>;[n]f:<1.500000>;yes:<t>;no:<f>;");
    EXPECT_TRUE(config.Remove("s", "k"));
    EXPECT_TRUE(config.Remove("s", "absent"));
    EXPECT_TRUE(config.Remove("absent", ""));
    EXPECT_TRUE(config.Remove("n", ""));
    EXPECT_EQ(Dump(config), "[s]k:<2>;j:<3>;i:<-3>;[t]k:<4>;");
    EXPECT_EQ(Slurp(dir + "/test.f"), "[s]\nk=1||x\nk=2\nj=3\n[t]\nk=4\n");
}

TEST_F(ConfigFiles, SaveWritesWhatReadsBack)
{
    WriteFile("test.f", "top=1\n[db]\nhost=localhost\nempty=\nlist=a||||b\n[p]\ncopies=2\n");
    {
        ConfigRW config("test.f");
        config.WriteStringEntry("p", "joined", "x||y");
        config.WriteStringEntry("", "late", "z");
        config.Save();
    }
    EXPECT_EQ(Slurp(dir + "/test.f"),
              "top=1\nlate=z\n[db]\nhost=localhost\nempty=\nlist=a||||b\n[p]\ncopies=2\njoined=x||y\n");
    EXPECT_EQ(Dump(ConfigRW("test.f")),
              "[]top:<1>;late:<z>;[db]host:<localhost>;empty:;list:<a><><b>;[p]copies:<2>;joined:<x><y>;");
}

TEST_F(ConfigFiles, HeaderlessSectionSavedLateJoinsThePreviousOne)
{
    ConfigRW config("new.f");
    config.WriteStringEntry("db", "host", "h");
    config.WriteStringEntry("", "top", "1");
    config.Save();
    EXPECT_EQ(Slurp(dir + "/new.f"), "[db]\nhost=h\ntop=1\n");
    EXPECT_EQ(ConfigRW("new.f").ReadStringEntry("db", "top", "DEF"), "1");
}

TEST_F(ConfigFiles, MissingFileAndBadLinesAreLogged)
{
    WriteFile("test.f", "[s]\njunk\n[open\nk=v\n");
    string log = Logged([] {
        EXPECT_EQ(ConfigRW("absent.f").ReadIntEntry("printer", "copies", 0), 0);
        EXPECT_EQ(Dump(ConfigRW("test.f")), "[s]k:<v>;");
    });
    EXPECT_NE(log.find("ConfigRW.cpp:"), string::npos) << log;
    EXPECT_NE(log.find(":ConfigRW error opening file for reading..."), string::npos) << log;
    EXPECT_NE(log.find(":ConfigRW syntax error at line: 'junk'. "), string::npos) << log;
    EXPECT_NE(log.find(":ConfigRW syntax error at line: '[open'. "), string::npos) << log;
}

TEST_F(ConfigFiles, DirectoryAsFileNameReadsEmptyAndCannotBeSaved)
{
    std::filesystem::create_directory(dir + "/sub.f");
    string log = Logged([] {
        ConfigRW config("sub.f");
        EXPECT_EQ(Dump(config), "");
        config.WriteStringEntry("s", "k", "v");
        config.Save();
        EXPECT_EQ(Dump(config), "[s]k:<v>;");
    });
    EXPECT_NE(log.find(":ConfigRW error reading file..."), string::npos) << log;
    EXPECT_NE(log.find(":Save error opening file for writing"), string::npos) << log;
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/sub.f"));
}

TEST_F(ConfigFiles, SavingIntoMissingDirectoryLogs)
{
    ConfigRW::setPath(dir + "/missing/");
    string log = Logged([] { ConfigRW("test.f").Save(); });
    EXPECT_NE(log.find(":Save error opening file for writing"), string::npos) << log;
    EXPECT_FALSE(std::filesystem::exists(dir + "/missing"));
}

TEST_F(ConfigFiles, SetPathDoesNotMoveExistingObjects)
{
    std::filesystem::create_directory(dir + "/other");
    ConfigRW config("test.f");
    ConfigRW::setPath(dir + "/other/");
    EXPECT_EQ(ConfigRW::getPath(), dir + "/other/");
    config.WriteStringEntry("s", "k", "v");
    config.Save();
    EXPECT_EQ(Slurp(dir + "/test.f"), "[s]\nk=v\n");
    EXPECT_FALSE(std::filesystem::exists(dir + "/other/test.f"));
}

}
