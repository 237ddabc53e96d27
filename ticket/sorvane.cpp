// sorvane: the CGI program that shows a stored ticket as an image, or has
// velmora save or print it. The request comes in QUERY_STRING as com, printer,
// id and plant; the answer is a small HTML page.

#include <cstdlib>

#include "viewer.h"

int main()
{
    Serve(std::getenv("QUERY_STRING"), SystemServices());
    return 0;
}
