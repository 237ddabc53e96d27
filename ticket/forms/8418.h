#ifndef FORM_8418_H
#define FORM_8418_H

#include <ostream>
#include <string>

class DBTicket;

// Writes one copy of the ticket onto pre-printed form 8418: values at fixed
// lines and columns, the form supplies the captions. lines_after of -1 ends
// the copy with a form feed instead of empty lines. Nothing is written into
// a stream that is not good, nor for a null ticket.
void PrintTicket(std::ostream& out, DBTicket* ticket, std::string plant, std::string reprint, int lines_before,
                 int lines_after, std::string name, bool print_prices, bool print_weights);

// The copy that "velmora view" writes: named "View Copy", prices and weights
// as the ticket's own flags allow, no blank lines around it.
void ViewTicket(std::ostream& out, DBTicket& ticket, const std::string& plant, const std::string& reprint);

// The layout of the pseudo-printer "log": writes nothing.
void PrintShortTicket(std::ostream& out, DBTicket* ticket, std::string plant, std::string reprint, int lines_before,
                      int lines_after, std::string name, bool print_prices, bool print_weights);

#endif
