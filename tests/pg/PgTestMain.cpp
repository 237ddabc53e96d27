// main() of the database tests. The programs' connection strings name no
// host, so libpq takes the server from PGHOST and PGPORT; setting them here
// points the code under test, and every child process it starts, at the
// test cluster that scripts/pgcluster.sh describes in its env file, or at
// whatever the env file named by MORVIK_PG_ENV describes (the pooler's, when
// the tests run through it). PGPASSFILE, also from there, holds the password
// that connections over TCP need.

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

bool LoadClusterEnv(const char* path)
{
    std::ifstream in(path);
    std::string line;
    std::set<std::string> missing = {"PGHOST", "PGPORT", "PGPASSFILE"};
    while (std::getline(in, line)) {
        std::string::size_type eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string name = line.substr(0, eq);
        if (missing.erase(name))
            setenv(name.c_str(), line.substr(eq + 1).c_str(), 1);
    }
    return missing.empty();
}

}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery at build time only lists the cases; no cluster runs then.
    if (!GTEST_FLAG_GET(list_tests)) {
        const char* other = getenv("MORVIK_PG_ENV");
        const char* env = other ? other : MORVIK_PGTEST_ENV;
        if (!LoadClusterEnv(env)) {
            std::cerr << "no test cluster: " << env
                      << " is missing or incomplete; ctest starts the cluster with the test "
                         "pg_start (scripts/pgcluster.sh start DIR)\n";
            return 1;
        }
        // A host address would win over PGHOST.
        unsetenv("PGHOSTADDR");
    }
    return RUN_ALL_TESTS();
}
