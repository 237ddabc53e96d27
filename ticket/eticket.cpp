#include "eticket.h"

#include <cctype>
#include <cstdio>
#include <memory>

#include <qrencode.h>
#include <sys/wait.h>

#include "ConfigRW.h"
#include "DBTicket.h"
#include "FixedPaths.h"
#include "FormatString.h"

const char* const kDefaultBaseUrl = "http://localhost/cgi-bin/sorvane";

std::string WebBaseUrl()
{
    ConfigRW::setPath(fixedpaths::kConfigDir);
    ConfigRW web("web.f");
    return web.ReadStringEntry("web", "base url", kDefaultBaseUrl);
}

std::string VerificationCode(const std::string& digest)
{
    std::string code;
    for (size_t i = 0; i < 16 && i < digest.size(); ++i)
        code += (i > 0 && i % 4 == 0 ? "-" : "") + std::string(1, digest[i]);
    return code;
}

bool CodeMatches(const std::string& code, const std::string& digest)
{
    std::string digits;
    for (char c : code)
        if (c != '-' && c != ' ')
            digits += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return digest.size() >= 16 && digits == digest.substr(0, 16);
}

std::string PercentEncoded(const std::string& text)
{
    std::string encoded;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~')
            encoded += static_cast<char>(c);
        else
            encoded += FormatString("%%%02X", c);
    }
    return encoded;
}

std::string VerificationAddress(const std::string& base, const std::string& id, const std::string& code)
{
    return base + "?com=verify&id=" + PercentEncoded(id) + "&code=" + PercentEncoded(code);
}

std::string QrRows(const std::string& text)
{
    // Medium error correction: a smudged corner still reads.
    std::unique_ptr<QRcode, void (*)(QRcode*)> symbol(
        QRcode_encodeData(static_cast<int>(text.size()), reinterpret_cast<const unsigned char*>(text.data()), 0,
                          QR_ECLEVEL_M),
        QRcode_free);
    if (!symbol)
        return "";
    std::string rows;
    for (int y = 0; y < symbol->width; ++y) {
        if (y > 0)
            rows += ' ';
        for (int x = 0; x < symbol->width; ++x)
            rows += (symbol->data[y * symbol->width + x] & 1) ? '1' : '0';
    }
    return rows;
}

Environment ETicketEnvironment(const DBTicket& ticket, const std::string& plant, const std::string& digest,
                               const std::string& base)
{
    Environment env = TicketEnvironment(ticket, plant);
    const std::string code = VerificationCode(digest);
    env.emplace_back("verifyid", ticket.Id());
    env.emplace_back("verifycode", code);
    env.emplace_back("verifyqr", QrRows(VerificationAddress(base, ticket.Id(), code)));
    env.emplace_back("void", ticket.Void() ? "t" : "f");
    return env;
}

// The page is taken whole first (it is all printable ASCII), so a template
// that fails makes the command fail instead of feeding Ghostscript an empty
// page. Ghostscript's own messages go to standard error, away from the PDF.
std::string PdfCommand()
{
    return "page=$(" + ShellQuote(fixedpaths::kPsTemplate) +
           " </dev/null) && printf '%s\n' \"$page\" | gs -dSAFER -dBATCH -dNOPAUSE -q -sstdout=%stderr "
           "-sDEVICE=pdfwrite -sPAPERSIZE=letter -dFIXEDMEDIA -sOutputFile=- -";
}

bool CaptureOutput(const std::string& command, std::string& output)
{
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    int status = ::pclose(pipe);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool IsPdf(const std::string& bytes)
{
    return bytes.compare(0, 5, "%PDF-") == 0;
}
