#ifndef DBOBJECT_H
#define DBOBJECT_H

#include <string>

// What every persistent object carries: the libpq connection string each of
// its operations opens a connection with, and the text of its last failure.
class DBObject {
public:
    DBObject() = default;
    explicit DBObject(std::string conninfo) : conninfo(std::move(conninfo)) {}
    DBObject(const DBObject&) = delete;
    DBObject& operator=(const DBObject&) = delete;

    std::string ConnInfo() const { return conninfo; }
    void ConnInfo(std::string text) { conninfo = std::move(text); }
    std::string ErrorMsg() const { return errormsg; }
    void ErrorMsg(std::string text) { errormsg = std::move(text); }
    void ClearError() { errormsg.clear(); }

private:
    std::string conninfo;
    std::string errormsg;
};

#endif
