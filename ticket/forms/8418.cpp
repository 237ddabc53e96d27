#include "8418.h"

#include <vector>

#include "DBTicket.h"
#include "FormatString.h"
#include "print.h"

namespace {

// Pounds per gallon of water; the plant's free-water figure is in gallons
// in metric mode too.
const double kPoundsPerGallon = 8.33;

const int kProductRows = 5;
const int kInstructionLines = 5;
const int kEmptyWeightLines = 18;

// A number is turned into text with its own format first, so that the
// slot's width format can only cut it, never widen the line.
std::string Number(const char* format, double value)
{
    return FormatString(format, value);
}

std::string Tolerance(float actual, float target)
{
    float ratio = (actual - target) / target;
    return FormatString("%3.2f%%", ratio * 100.0);
}

const char* Over(const DBProduct& line)
{
    return line.over_c ? "*" : " ";
}

std::vector<std::string> InstructionLines(const std::string& text)
{
    std::vector<std::string> lines(kInstructionLines);
    int current = 0;
    for (char c : text) {
        if (c == '\n') {
            if (++current == kInstructionLines)
                break;
        } else {
            lines[current] += c;
        }
    }
    return lines;
}

// Hour and minute of a "YYYY-MM-DD HH:MM:SS" text. A shorter text (a failed
// load leaves it empty) gives what is there from the hour on, or nothing.
std::string HourMinute(const std::string& time_started)
{
    if (time_started.size() < 11)
        return std::string();
    return time_started.substr(11, 5);
}

std::string ProductRow(const DBProduct& product, bool show_prices)
{
    const std::string amount = Number("%.2f", product.amount_c);
    if (!show_prices)
        return FormatString(" %7.7s  %-9.9s %-28.28s ", amount.c_str(), product.Id().c_str(),
                            product.Description().c_str());
    const float price = product.UnitPrice() * product.amount_c;
    return FormatString(" %7.7s %-9.9s  %-28.28s            %7.7s    %8.8s ", amount.c_str(), product.Id().c_str(),
                        product.Description().c_str(), Number("%.2f", product.UnitPrice()).c_str(),
                        Number("%.2f", price).c_str());
}

std::string WeightsBlock(const DBTicket& ticket)
{
    std::vector<const DBProduct*> agg_v;
    std::vector<const DBProduct*> cmt_v;
    std::vector<const DBProduct*> admix_v;
    const DBProduct* water = nullptr;
    for (const DBProduct* line : ticket.matl_v) {
        if (line == nullptr)
            continue;
        const std::string type = line->Type();
        if (type == "agg")
            agg_v.push_back(line);
        else if (type == "cmt")
            cmt_v.push_back(line);
        else if (type == "admix")
            admix_v.push_back(line);
        else if (type == "water")
            water = line;
    }
    const bool metric = ticket.IsFormulaMetric();

    std::string text = compress;
    text += "[MATERIAL]           [MIX]    [TARGET]    [ACTUAL]  [% TOL]  [UM] [% MCT] [WATER]\n";

    // Aggregates are weighed one after another on one scale, so each row
    // shows the running totals.
    float cum_agg_target = 0;
    float cum_agg_actual = 0;
    float water_total = 0;
    for (const DBProduct* line : agg_v) {
        cum_agg_target += line->target_c;
        cum_agg_actual += line->actual_c;
        const double moisture = line->moisture_c / 100.0;
        const double free_water = line->actual_c * moisture / (moisture + 1) / kPoundsPerGallon;
        water_total += free_water;
        text += FormatString("%-15.15s%11.11s %11.11s %11.11s%1.1s %7.7s   %-3.3s  %5.5s %6.6s gals ",
                             line->Description().c_str(), Number("%.0f", line->amount_c).c_str(),
                             Number("%.0f", cum_agg_target).c_str(), Number("%.0f", cum_agg_actual).c_str(),
                             Over(*line), Tolerance(cum_agg_actual, cum_agg_target).c_str(), metric ? "kgs" : "lbs",
                             Number("%.1f%%", line->moisture_c).c_str(), Number("%.1f", free_water).c_str());
        text += "\n";
    }

    float cum_cmt_target = 0;
    float cum_cmt_actual = 0;
    float cmt_total = 0;
    for (const DBProduct* line : cmt_v) {
        cum_cmt_target += line->target_c;
        cum_cmt_actual += line->actual_c;
        cmt_total += line->actual_c;
        text += FormatString("%-15.15s%11.11s %11.11s %11.11s%1.1s %7.7s   %-3.3s ", line->Description().c_str(),
                             Number("%.0f", line->amount_c).c_str(), Number("%.0f", cum_cmt_target).c_str(),
                             Number("%.0f", cum_cmt_actual).c_str(), Over(*line),
                             Tolerance(cum_cmt_actual, cum_cmt_target).c_str(), metric ? "kgs" : "lbs");
        text += "\n";
    }

    for (const DBProduct* line : admix_v) {
        text += FormatString("%-15.15s%11.11s %11.11s %11.11s%1.1s %7.7s   %-3.3s ", line->Description().c_str(),
                             Number("%.1f", line->amount_c).c_str(), Number("%.1f", line->target_c).c_str(),
                             Number("%.1f", line->actual_c).c_str(), Over(*line),
                             Tolerance(line->actual_c, line->target_c).c_str(), metric ? "mls" : "ozs");
        text += "\n";
    }

    // Without a water line there is nothing to describe and no ratio worth
    // printing, so the row is left out rather than invented.
    if (water != nullptr) {
        water_total += water->actual_c;
        const double wc_ratio = water_total / (cmt_total / kPoundsPerGallon);
        text += FormatString("%-15.15s%11.11s %11.11s %11.11s%1.1s %7.7s   %-3.3s   [WC RATIO: %4.4s] ",
                             water->Description().c_str(), Number("%.0f", water->amount_c).c_str(),
                             Number("%.0f", water->target_c).c_str(), Number("%.0f", water->actual_c).c_str(),
                             Over(*water), Tolerance(water->actual_c, water->target_c).c_str(),
                             metric ? "ltr" : "gal", Number("%.2f", wc_ratio).c_str());
        text += "\n";
    }

    text += "\n";
    text += FormatString("DATE: %-10.10s TIME: %-12.12s", ticket.DateBatched().c_str(), ticket.TimeBatched().c_str());
    text += "\n";
    return text;
}

// Value lines 29, 30 and 33 sit at the right edge; without prices they stay empty.
std::string PriceLine(bool show_prices, float value)
{
    if (!show_prices)
        return "\n";
    return FormatString("%72s %7.7s", "", Number("%.2f", value).c_str()) + "\n";
}

}  // namespace

void PrintTicket(std::ostream& out, DBTicket* ticket, [[maybe_unused]] std::string plant,
                 [[maybe_unused]] std::string reprint, int lines_before, int lines_after,
                 [[maybe_unused]] std::string name, bool print_prices, bool print_weights)
{
    if (!out.good() || ticket == nullptr)
        return;

    const DBCustomer& customer = *ticket->customer;
    const DBJob& job = *ticket->job;
    const DBFormula& formula = *ticket->formula;
    const DBTruck& truck = *ticket->truck;

    const std::string customer_address_line2 = customer.City() + " " + customer.State() + " " + customer.Zipcode();
    const std::vector<std::string> instructions = InstructionLines(ticket->Instructions());
    const bool has_formula = !formula.Id().empty();
    const bool show_prices = ticket->PrintPrices() && print_prices;
    const bool show_weights = ticket->PrintWeights() && print_weights && has_formula;

    std::string text;
    for (int i = 0; i < lines_before; ++i)
        text += "\n";

    text += FormatString("       %-10.10s ", ticket->DateBatched().c_str()) + "\n";
    text += FormatString(" %73s  %-6.6s", "", FormatString("%i", ticket->Invoice()).c_str()) + "\n";
    text += "\n";

    const char* address_format = "    %-29.29s           %-29.29s ";
    text += FormatString(address_format, customer.Name().c_str(), instructions[0].c_str()) + "\n";
    text += FormatString(address_format, customer.Street().c_str(), instructions[1].c_str()) + "\n";
    text += FormatString(address_format, customer_address_line2.c_str(), instructions[2].c_str()) + "\n";
    text += FormatString(address_format, "", instructions[3].c_str()) + "\n";
    text += FormatString(address_format, "", instructions[4].c_str()) + "\n";
    text += "\n\n";

    text += FormatString("         %-9.9s %-28.28s                        %8.8s ", formula.Id().c_str(),
                         formula.Description().c_str(), Number("%.2f", job.QuantityOrdered()).c_str());
    text += "\n\n";

    text += FormatString("                 %-9.9s     %-4.4s            %-7.7s",
                         Number("%.2f", ticket->Batchsize()).c_str(),
                         FormatString("%i", job.LoadsDelivered()).c_str(),
                         Number("%.2f", job.QuantityDelivered()).c_str());
    if (has_formula && show_prices) {
        const float formula_total = ticket->FormulaPrice() * ticket->Batchsize();
        text += FormatString(" %7.7s          %7.7s ", Number("%.2f", ticket->FormulaPrice()).c_str(),
                             Number("%.2f", formula_total).c_str());
    } else if (has_formula) {
        text += FormatString(" %16.16s ", "");
    }
    text += "\n\n";
    // Without a formula the form's price part is missing and the rest of
    // the ticket moves down one line.
    if (!has_formula)
        text += "\n";

    text += FormatString("        %-9.9s     %-6.6s   %-20.20s", truck.Id().c_str(),
                         HourMinute(ticket->TimeStarted()).c_str(), ticket->Zipcode().c_str());
    text += "\n\n\n";

    // A null slot (left by a failed load) is no product: the next real
    // product takes its row, so the form still shows up to five products.
    int rows = 0;
    for (const DBProduct* product : ticket->prod_v) {
        if (rows == kProductRows)
            break;
        if (product == nullptr)
            continue;
        text += ProductRow(*product, show_prices) + "\n\n";
        ++rows;
    }
    for (; rows < kProductRows; ++rows)
        text += "\n\n";

    text += "\n";
    text += PriceLine(show_prices, ticket->Tax());
    text += PriceLine(show_prices, ticket->Subtotal());
    text += FormatString(" %-12.12s", truck.Driver().c_str()) + "\n";
    text += "\n";
    text += PriceLine(show_prices, ticket->Total());
    text += "\n";

    if (show_weights)
        text += WeightsBlock(*ticket);
    else
        text += std::string(kEmptyWeightLines, '\n');

    text += nocompress;
    if (lines_after == -1)
        text += "\f";
    for (int i = 0; i < lines_after; ++i)
        text += "\n";

    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void ViewTicket(std::ostream& out, DBTicket& ticket, const std::string& plant, const std::string& reprint)
{
    PrintTicket(out, &ticket, plant, reprint, 0, 0, "View Copy", true, true);
}

void PrintShortTicket([[maybe_unused]] std::ostream& out, [[maybe_unused]] DBTicket* ticket,
                      [[maybe_unused]] std::string plant, [[maybe_unused]] std::string reprint,
                      [[maybe_unused]] int lines_before, [[maybe_unused]] int lines_after,
                      [[maybe_unused]] std::string name, [[maybe_unused]] bool print_prices,
                      [[maybe_unused]] bool print_weights)
{
}
