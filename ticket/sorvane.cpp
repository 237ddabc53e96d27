// sorvane: the CGI program that shows a stored ticket as an image, or has
// velmora save or print it. The request comes in QUERY_STRING as com, printer,
// id and plant; the answer is a small HTML page.

#include <cstdlib>
#include <string>

#include "DBTicketHistory.h"
#include "viewer.h"

int main()
{
    // The velmora a request starts records its events for the web client:
    // the user the web server authenticated, if any, and the address.
    const char* user = std::getenv("REMOTE_USER");
    const char* address = std::getenv("REMOTE_ADDR");
    std::string client = address && *address ? address : "unknown address";
    if (user && *user)
        client = std::string(user) + "@" + client;
    setenv(kWebClientVariable, client.c_str(), 1);

    Serve(std::getenv("QUERY_STRING"), SystemServices());
    return 0;
}
