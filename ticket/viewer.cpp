#include "viewer.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <iostream>

#include <unistd.h>

#include "CGImap.h"
#include "eticket.h"
#include "DBTicket.h"
#include "DBTicketHistory.h"
#include "UnitOfWork.h"
#include "FixedPaths.h"
#include "FormatString.h"

namespace {

const char* const kConnInfo = "dbname=morvik2 user=nobody";
const char* const kHeader = "Content-type: text/html\n\n\n";

const int kProducts = 8;
const int kMaterialsPerType = 6;

std::string Money(float value)
{
    return FormatString("%.2f", value);
}

// The image's path without its extension; the web path of the image is
// "/tickets/sorvane_" + id + ".gif".
std::string ImagePath(const std::string& id)
{
    return std::string(fixedpaths::kImageDir) + "sorvane_" + id;
}

std::string RequestTag()
{
    return FormatString(".%d", static_cast<int>(getpid()));
}

// Every word of a command line goes through ShellQuote, so an id or printer
// name can add no command of its own; ordinary values stay as they are.
//
// velmora's progress lines (or the whole ticket, for an empty printer) go to
// standard error: on standard output they would stand before the page's
// header.
std::string VelmoraCommand(const char* command, const Request& request)
{
    return FormatString("%s %s %s %s %s yes >&2", ShellQuote(fixedpaths::kVelmora).c_str(), command,
                        ShellQuote(request.printer).c_str(), ShellQuote(request.id).c_str(),
                        ShellQuote(request.plant).c_str());
}

void WriteLines(std::ostream& out, std::initializer_list<const char*> lines)
{
    for (const char* line : lines)
        out << line << '\n';
    out.flush();
}

void View(const Request& request, const ViewerServices& services)
{
    std::ostream& out = services.out;
    out << kHeader;
    // Each line is flushed at once: what the image converter prints belongs
    // inside the off-screen element.
    for (const char* line : {"<html>", "<head>", "<title>Ticket Image</title>", "</head>", "<body>", "<center>",
                             "<div style=\"position:absolute;left:-1000px;width:500px\">"})
        out << line << '\n' << std::flush;

    // The request works in files of its own, so views of one ticket at once
    // never share a half-written page; its image replaces the ticket's in
    // one rename.
    const std::string work = ImagePath(request.id) + RequestTag();
    const std::string ps = ShellQuote(work + ".ps");
    services.run(FormatString("%s > %s", ShellQuote(fixedpaths::kPsTemplate).c_str(), ps.c_str()));
    services.run(FormatString("%s %s<%s", ShellQuote(fixedpaths::kTicketToGif).c_str(), ShellQuote(work).c_str(),
                              ShellQuote(fixedpaths::kInputFile).c_str()));
    services.run(FormatString("mv -f %s %s", ShellQuote(work + ".gif").c_str(),
                              ShellQuote(ImagePath(request.id) + ".gif").c_str()));
    services.run(FormatString("rm -f %s", ps.c_str()));

    out << "</div>\n" << std::flush;
    out << "<img src=\"/tickets/sorvane_" << HtmlEscape(request.id)
        << ".gif\" style=\"position:absolute;left:5px;top:5px;width:425px;height:550px\">\n"
        << std::flush;
    WriteLines(out, {"</center>", "</body>", "</html>"});
}

void Save(const Request& request, const ViewerServices& services)
{
    services.run(VelmoraCommand("save", request));
    services.out << kHeader;
    WriteLines(services.out, {"<html>", "<head>", "<title>Ticket</title>",
                              "<meta http-equiv=\"REFRESH\" content=\"0;url=/tickets/ticket\">", "</head>",
                              "</body>", "</html>"});
}

void Print(const Request& request, const ViewerServices& services)
{
    services.run(VelmoraCommand("print", request));
    services.out << kHeader;
    WriteLines(services.out, {"<html>", "<head>", "<title>Ticket Status</title>", "</head>",
                              "<body onload=\"window.opener.refreshlist();\">", "<center>",
                              "<h1>Ticket Successfully Printed!!!</h1>", "You may now close this window.",
                              "</center>", "</body>", "</html>"});
}

void Refuse(std::ostream& out)
{
    out << kHeader;
    WriteLines(out, {"<html>", "<head>", "<title>Ticket Request Refused</title>", "</head>", "<body>", "<center>",
                     "<h1>Invalid ticket request</h1>", "</center>", "</body>", "</html>"});
}

// A file name for the browser: letters, digits, '.', '-' and '_' as they are,
// every other byte '_'.
std::string SafeFileName(const std::string& id)
{
    std::string name;
    for (unsigned char c : id)
        name += std::isalnum(c) || c == '.' || c == '-' ? static_cast<char>(c) : '_';
    return name.empty() ? "ticket" : name;
}

void VerifyPage(std::ostream& out, const char* title, const std::string& body)
{
    out << kHeader << "<html>\n<head>\n<title>" << title << "</title>\n</head>\n<body>\n<h1>" << title
        << "</h1>\n"
        << body << "</body>\n</html>\n";
    out.flush();
}

// What a code checks: the ticket's figures as its snapshot holds them, when
// its history says it was stored, and whether it was voided (the row's flag
// or its history), which the page says first.
void Genuine(std::ostream& out, const DBTicket& ticket, const TicketProof& proof)
{
    const bool voided = ticket.Void() || proof.voided;
    std::string rows;
    for (const auto& [name, value] : std::initializer_list<std::pair<const char*, std::string>>{
             {"Ticket", ticket.Id()},
             {"Batched", ticket.DateBatched() + " " + ticket.TimeBatched()},
             {"Customer", ticket.customer->Name()},
             {"Total", Money(ticket.Total())},
             {"Void", voided ? "yes" : "no"},
             {"Stored", proof.stored.empty() ? "(no record)" : proof.stored}})
        rows += std::string("<tr><th>") + name + "</th><td>" + HtmlEscape(value) + "</td></tr>\n";
    const std::string table = "<table>\n" + rows + "</table>\n";
    if (voided)
        VerifyPage(out, "Void ticket",
                   "<p>This ticket is genuine, but it was VOIDED: it is not to be billed or accepted.</p>\n" + table);
    else
        VerifyPage(out, "Genuine ticket", "<p>This ticket is genuine: its code matches the plant's record.</p>\n" + table);
}

// The e-ticket's two answers: the PDF, and the page that checks a code.
void ETicket(const Request& request, const ViewerServices& services)
{
    DBTicket ticket(kConnInfo);
    TicketProof proof;
    services.load(ticket, request.id, &proof);
    const std::string& digest = proof.digest;
    const bool found = ticket.Entry() != 0 && !digest.empty();
    if (request.com == "verify") {
        if (!found)
            VerifyPage(services.out, "No such ticket",
                       "<p>The plant has no ticket " + HtmlEscape(request.id) + ".</p>\n");
        else if (!CodeMatches(request.code, digest))
            VerifyPage(services.out, "Code does not match",
                       "<p>The code does not match the plant's record of ticket " + HtmlEscape(ticket.Id()) +
                           ".</p>\n");
        else
            Genuine(services.out, ticket, proof);
        return;
    }
    // The page is made whole before anything is sent: a failure gets the
    // refusal page, never half a PDF under a PDF header. The plant is the
    // ticket's own, as printed on every copy.
    std::string pdf;
    if (found) {
        for (const auto& [name, value] :
             ETicketEnvironment(ticket, FormatString("%i", ticket.Plant()), digest, WebBaseUrl()))
            services.setenv(name, value);
    }
    if (!found || !services.capture(PdfCommand(), pdf) || !IsPdf(pdf)) {
        Refuse(services.out);
        return;
    }
    services.out << "Content-Type: application/pdf\nContent-Disposition: inline; filename=\""
                 << SafeFileName(ticket.Id()) << ".pdf\"\n\n"
                 << pdf;
    services.out.flush();
}

void ExportProducts(const DBTicket& ticket, Environment& env)
{
    // A null slot (left by a failed load) is no product: the next real
    // product takes its number, as on the printed ticket.
    std::vector<const DBProduct*> products;
    for (const DBProduct* product : ticket.prod_v)
        if (product != nullptr)
            products.push_back(product);

    for (int i = 1; i <= kProducts; ++i) {
        std::string desc, quan, price, total;
        if (i <= static_cast<int>(products.size())) {
            const DBProduct& product = *products[i - 1];
            desc = product.Description();
            quan = Money(product.amount_c);
            if (ticket.PrintPrices()) {
                price = Money(product.UnitPrice());
                total = Money(product.UnitPrice() * product.amount_c);
            }
        }
        env.emplace_back(FormatString("prod%idesc", i), desc);
        env.emplace_back(FormatString("prod%iquan", i), quan);
        env.emplace_back(FormatString("prod%iprice", i), price);
        env.emplace_back(FormatString("prod%itotal", i), total);
    }
}

void ExportLine(Environment& env, const std::string& type, int n, const std::string& desc,
                const std::string& target, const std::string& actual)
{
    env.emplace_back(FormatString("%s%idesc", type.c_str(), n), desc);
    env.emplace_back(FormatString("%s%itarget", type.c_str(), n), target);
    env.emplace_back(FormatString("%s%iactual", type.c_str(), n), actual);
}

void ExportMaterials(const DBTicket& ticket, Environment& env)
{
    const char* const types[] = {"agg", "cmt", "admix"};
    int counters[] = {1, 1, 1};
    int water = 1;

    if (ticket.PrintWeights() && !ticket.formula->Id().empty()) {
        for (const DBProduct* line : ticket.matl_v) {
            if (line == nullptr)
                continue;
            const std::string type = line->Type();
            if (type == "water") {
                ExportLine(env, type, water, line->Description(), Money(line->target_c), Money(line->actual_c));
                env.emplace_back("maxwater", FormatString("Max  %.2f", ticket.formula->MaxWaterAmount()));
                env.emplace_back("watertrim", FormatString("Trim  %.2f", ticket.WaterTrim()));
                ++water;
                continue;
            }
            for (int t = 0; t < 3; ++t) {
                if (type != types[t])
                    continue;
                if (counters[t] <= kMaterialsPerType)
                    ExportLine(env, type, counters[t], line->Description(), Money(line->target_c),
                               Money(line->actual_c));
                ++counters[t];
            }
        }
    }

    for (int t = 0; t < 3; ++t)
        for (int n = counters[t]; n <= kMaterialsPerType; ++n)
            ExportLine(env, types[t], n, "", "", "");
    if (water == 1) {
        ExportLine(env, "water", 1, "", "", "");
        env.emplace_back("maxwater", "");
        env.emplace_back("watertrim", "");
    }
}

// No identifier, printer, plant or command comes near this length; a longer
// value is no real request, only work for the page renderer.
const size_t kLongestValue = 128;

bool Unfit(const std::string& value)
{
    return value.size() > kLongestValue || value.find('\0') != std::string::npos;
}

// Whether the request may be served at all: no value may be longer than any
// real one or hold a NUL byte (the C strings it travels in would cut it
// short), and a view's id must name a file inside the ticket image directory.
bool Acceptable(const Request& request)
{
    if (Unfit(request.com) || Unfit(request.printer) || Unfit(request.id) || Unfit(request.plant))
        return false;
    if (request.com == "verify")
        return !Unfit(request.code);
    if (request.com != "view")
        return true;
    const std::string& id = request.id;
    return !id.empty() && id != "." && id != ".." && id.find('/') == std::string::npos;
}

}  // namespace

Request ParseRequest(const char* query)
{
    Request request;
    for (const CGIpair& pair : CGImap(query ? query : "")) {
        if (pair.first == "com")
            request.com = pair.second;
        else if (pair.first == "printer")
            request.printer = pair.second;
        else if (pair.first == "id")
            request.id = pair.second;
        else if (pair.first == "plant")
            request.plant = pair.second;
        else if (pair.first == "code")
            request.code = pair.second;
    }
    return request;
}

Environment TicketEnvironment(const DBTicket& ticket, const std::string& plant)
{
    const DBCustomer& customer = *ticket.customer;
    const DBJob& job = *ticket.job;
    const DBFormula& formula = *ticket.formula;
    const bool prices = ticket.PrintPrices();

    Environment env = {
        {"plant", plant},
        {"ticket", FormatString("%i", ticket.Entry())},
        {"customerline1", customer.Name()},
        {"customerline2", customer.Street()},
        {"customerline3", customer.City() + " " + customer.State() + " " + customer.Zipcode()},
        {"jobid", job.Id()},
        {"jobline1", job.Deliverto()},
        {"jobline2", job.Street()},
        {"jobline3", job.City() + " " + job.State() + " " + job.Zipcode()},
        {"jobqordered", Money(job.QuantityOrdered())},
        {"jobqdelivered", Money(job.QuantityDelivered())},
        {"formulaid", formula.Id()},
        {"formuladesc", formula.Description()},
        {"formulaprice", Money(formula.Price())},
        {"formulatotal", Money(formula.Price() * ticket.Batchsize())},
        {"truckid", ticket.truck->Id()},
        {"datebatched", ticket.DateBatched()},
        {"timebatched", ticket.TimeBatched()},
        {"batchsize", Money(ticket.Batchsize())},
        {"printweights", ticket.PrintWeights() ? "t" : "f"},
    };
    ExportProducts(ticket, env);
    ExportMaterials(ticket, env);
    env.emplace_back("subtotal", prices ? Money(ticket.Subtotal()) : "");
    env.emplace_back("tax", prices ? Money(ticket.Tax()) : "");
    env.emplace_back("total", prices ? Money(ticket.Total()) : "");
    return env;
}

ViewerServices SystemServices()
{
    return ViewerServices{
        [](DBTicket& ticket, const std::string& id, TicketProof* proof) {
            UnitOfWork read(ticket.ConnInfo(), UnitOfWork::Access::ReadOnly);
            if (!ticket.LoadXmlById(id) || !proof || ticket.Entry() == 0 || !ticket.SnapshotDigest(proof->digest))
                return;
            DBTicketHistory(ticket.ConnInfo()).Stored(ticket.Entry(), proof->stored, proof->voided);
        },
        [](const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); },
        [](const std::string& command) {
            // What is already written must reach the page before anything
            // the command prints.
            std::cout.flush();
            std::fflush(stdout);
            // A command's result does not change the page.
            [[maybe_unused]] int status = std::system(command.c_str());
        },
        CaptureOutput,
        std::cout,
    };
}

void Serve(const char* query, const ViewerServices& services)
{
    const Request request = ParseRequest(query);
    if (!Acceptable(request)) {
        Refuse(services.out);
        return;
    }

    if (request.com == "pdf" || request.com == "verify") {
        ETicket(request, services);
        return;
    }

    // A ticket that is not found is shown as the loader leaves it.
    DBTicket ticket(kConnInfo);
    services.load(ticket, request.id, nullptr);
    for (const auto& [name, value] : TicketEnvironment(ticket, request.plant))
        services.setenv(name, value);

    if (request.com == "view")
        View(request, services);
    else if (request.com == "save")
        Save(request, services);
    else
        Print(request, services);
}
