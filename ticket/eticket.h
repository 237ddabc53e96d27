#ifndef ETICKET_H
#define ETICKET_H

#include <string>

#include "viewer.h"

class DBTicket;

// The e-ticket: a ticket as a one-page PDF that carries the means to check
// it against the plant's record, a verification code and a QR code of the
// web viewer's address that checks it.

// The web viewer's address when web.f names none.
extern const char* const kDefaultBaseUrl;

// "base url" of section [web] of web.f in the configuration directory.
std::string WebBaseUrl();

// The first 16 hexadecimal digits of a snapshot digest, in groups of four
// ("1a2b-3c4d-5e6f-7a8b").
std::string VerificationCode(const std::string& digest);

// Whether `code` is the verification code of `digest`, read as a person
// types it: letter case, blanks and hyphens do not matter.
bool CodeMatches(const std::string& code, const std::string& digest);

// Every byte but letters, digits and "-._~" as %XX.
std::string PercentEncoded(const std::string& text);

// BASE?com=verify&id=ID&code=CODE, every value percent-encoded.
std::string VerificationAddress(const std::string& base, const std::string& id, const std::string& code);

// The QR symbol of `text`: its rows from the top, each a run of '1' (dark)
// and '0', separated by blanks. Empty when no symbol holds the text.
std::string QrRows(const std::string& text);

// The page's variables (see TicketEnvironment) with those of the e-ticket:
// the identifier, the code, the QR rows and whether the ticket is void.
Environment ETicketEnvironment(const DBTicket& ticket, const std::string& plant, const std::string& digest,
                               const std::string& base);

// The shell command that writes the ticket page, drawn from the exported
// variables, to standard output as PDF, and fails when either program does.
// Ghostscript runs with -dSAFER and reads the page from a pipe: no name from
// the request reaches it.
std::string PdfCommand();

// Runs `command` through the shell and keeps its standard output; false when
// it could not run or did not exit with 0.
bool CaptureOutput(const std::string& command, std::string& output);

// Whether `bytes` begin as a PDF file does.
bool IsPdf(const std::string& bytes);

#endif
