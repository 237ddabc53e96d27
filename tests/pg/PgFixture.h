#ifndef PGFIXTURE_H
#define PGFIXTURE_H

#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <libpq-fe.h>

// A test against the morvik2 database of the test cluster. Each test starts
// with every table empty and every sequence restarted, and has a raw libpq
// connection of its own (as the owner role) to arrange and inspect data
// independently of the classes under test.
class PgFixture : public ::testing::Test {
public:
    // What the programs use when the configured host is local.
    static constexpr const char* kOwnerConnInfo = "dbname=morvik2 user=morvik2";
    static constexpr const char* kViewerConnInfo = "dbname=morvik2 user=nobody";

    // The cluster's TCP port, as the test main took it from the env file.
    static std::string Port();

protected:
    void SetUp() override;
    void TearDown() override;

    // Runs a statement; a failure fails the test with the server's message.
    void Exec(const std::string& sql);
    // Runs a statement the server may refuse; whether it ran.
    bool TryExec(const std::string& sql);
    // The single value a query returns, nullopt for NULL. Anything but one
    // row of one column fails the test.
    std::optional<std::string> Query(const std::string& sql);
    // Empties every table and restarts every sequence.
    void ResetDatabase();
    // Waits (a bounded time) until `count` other sessions wait for a lock;
    // false when they never do.
    bool AwaitLockWaiters(int count);
    // Every row of the tables a load's life writes, to tell that nothing
    // was written.
    std::string Contents();

private:
    PGconn* conn = nullptr;
};

#endif
