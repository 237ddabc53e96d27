// morvik: the plant office's command line over the ticket library.
//
//   morvik [--verbose] KIND ACTION [OPERAND] [--option value ...]
//
// Master data, the batch queue and stored tickets, each through the library's
// operations. Results go to standard output, messages to standard error.

#include <syslog.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Actions.h"
#include "ConfigRW.h"
#include "DatabaseSettings.h"
#include "FixedPaths.h"
#include "Progress.h"

namespace {

const char* const kOverview =
    "usage: morvik [--verbose] KIND ACTION [OPERAND] [--option value ...]\n"
    "\n"
    "The plant office's command line: master data, the batch queue and stored tickets.\n"
    "morvik KIND ACTION --help names the options of an action.\n"
    "\n"
    "Standard output carries only the results (an entry number, a ticket identifier, a listing).\n"
    "--verbose writes the library's progress and log lines to standard error; without it the\n"
    "progress lines are dropped and the log lines go to the system log only.\n"
    "The database settings come from section [database] of database.f, as for velmora.\n"
    "Exit status: 0 done, 1 not found, refused by the database or standard output not written,\n"
    "2 a usage error.\n";

// The library's progress lines go to standard error with --verbose and are
// dropped otherwise, so that standard output holds nothing but the action's
// result.
void RouteProgress(bool verbose)
{
    if (verbose)
        SetProgressSink([](const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); });
    else
        SetProgressSink([](const std::string&) {});
}

std::vector<Action> AllActions()
{
    std::vector<Action> all = MasterDataActions();
    for (auto more : {BatchActions(), TicketActions()})
        all.insert(all.end(), more.begin(), more.end());
    return all;
}

std::string Synopsis(const Action& action)
{
    std::string line = "morvik " + action.kind + " " + action.name;
    if (!action.operands.empty())
        line += " " + action.operands;
    for (const OptionDef& option : action.options) {
        std::string word = "--" + option.name + " " + option.value;
        line += " " + (option.required ? word : "[" + word + "]") + (option.repeat ? "..." : "");
    }
    return line;
}

std::string Help(const Action& action)
{
    std::string text = "usage: " + Synopsis(action) + "\n\n" + action.summary + "\n";
    if (action.options.empty())
        return text;
    text += "\noptions:\n";
    for (const OptionDef& option : action.options) {
        std::string name = "  --" + option.name + " " + option.value;
        text += name + (option.help.empty() ? "" : std::string(name.size() < 30 ? 30 - name.size() : 1, ' ') +
                                                       option.help) +
                "\n";
    }
    return text;
}

std::string Overview(const std::vector<Action>& actions, const std::string& kind = "")
{
    std::string text = kind.empty() ? kOverview : "";
    text += kind.empty() ? "\nactions:\n" : "actions of " + kind + ":\n";
    for (const Action& action : actions) {
        if (!kind.empty() && action.kind != kind)
            continue;
        std::string line = "  morvik " + action.kind + " " + action.name +
                           (action.operands.empty() ? "" : " " + action.operands);
        text += line + std::string(line.size() < 34 ? 34 - line.size() : 1, ' ') + action.summary + "\n";
    }
    return text;
}

// Writes the text to standard output and flushes it: the reason it could not
// be written, or nothing. An export cut short must not pass for a whole one.
std::string WriteOut(const std::string& text)
{
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
        return "";
    return errno ? std::strerror(errno) : "write error";
}

std::string Unwritten(const std::string& reason)
{
    return "standard output could not be written: " + reason;
}

// Writes a text that is not an action's result, such as a help text.
int Print(const std::string& text)
{
    std::string reason = WriteOut(text);
    if (reason.empty())
        return 0;
    std::cerr << "morvik: " << Unwritten(reason) << std::endl;
    return 1;
}

// The actions whose result names the record they stored. When that name
// cannot be printed the record stands all the same, and the message says
// which it is, so nobody stores it twice.
std::string StoredRecord(const Action& action, const std::string& printed)
{
    static const struct {
        const char* kind;
        const char* name;
        const char* before;
        const char* after;
    } kStoring[] = {
        {"batch", "queue", "batch entry ", " was queued"},
        {"batch", "finish", "ticket ", " was stored"},
    };
    const std::string name = printed.substr(0, printed.find('\n'));
    for (const auto& storing : kStoring)
        if (action.kind == storing.kind && action.name == storing.name && !name.empty())
            return storing.before + name + storing.after;
    return "";
}

// Runs one action: its result goes to standard output after the library is
// done, its message to standard error.
int Execute(const Action& action, const std::vector<std::string>& words, bool verbose)
{
    std::ostringstream out;
    int status = 0;
    std::string message;
    openlog("morvik", LOG_PID | (verbose ? LOG_PERROR : 0), LOG_USER);
    ConfigRW::setPath(fixedpaths::kConfigDir);
    try {
        Args args(words, action.options);
        if (args.Positional().size() < action.minOperands || args.Positional().size() > action.maxOperands)
            throw UsageError("wrong number of operands: " + Synopsis(action));
        Context ctx{DatabaseConnInfo(), out};
        RouteProgress(verbose);
        action.run(ctx, args);
    } catch (const UsageError& e) {
        status = 2;
        message = std::string("usage: ") + e.what() + " (morvik " + action.kind + " " + action.name + " --help)";
    } catch (const Failure& e) {
        status = 1;
        message = e.what();
    }
    closelog();
    // What was done before a failure is still reported, such as the
    // identifier of a ticket that was stored.
    std::string reason = WriteOut(out.str());
    if (!reason.empty()) {
        std::string stored = StoredRecord(action, out.str());
        std::string lost = (stored.empty() ? "" : stored + ", but ") + Unwritten(reason);
        message = message.empty() ? lost : lost + "; " + message;
        status = 1;
    }
    if (status != 0)
        std::cerr << (status == 1 ? "morvik: " : "") << message << std::endl;
    return status;
}

bool AsksForHelp(const std::vector<std::string>& words)
{
    for (const std::string& word : words) {
        if (word == "--")
            return false;
        if (word == "--help" || word == "-h")
            return true;
    }
    return false;
}

int Run(std::vector<std::string> words)
{
    const std::vector<Action> actions = AllActions();
    bool verbose = false;
    for (; !words.empty() && words[0].compare(0, 1, "-") == 0; words.erase(words.begin())) {
        if (words[0] == "--help" || words[0] == "-h")
            return Print(Overview(actions));
        if (words[0] != "--verbose") {
            std::cerr << "usage: unknown option " << words[0] << " (morvik --help lists the actions)\n";
            return 2;
        }
        verbose = true;
    }
    std::set<std::string> kinds;
    for (const Action& action : actions)
        kinds.insert(action.kind);
    if (words.empty() || !kinds.count(words[0])) {
        std::cerr << "usage: " << (words.empty() ? "no KIND given" : "unknown kind " + words[0])
                  << " (morvik --help lists the actions)\n";
        return 2;
    }
    const std::string& kind = words[0];
    if (words.size() < 2) {
        std::cerr << "usage: no ACTION given; " << Overview(actions, kind);
        return 2;
    }
    if (words[1] == "--help" || words[1] == "-h")
        return Print(Overview(actions, kind));
    for (const Action& action : actions) {
        if (action.kind != kind || action.name != words[1])
            continue;
        const std::vector<std::string> rest(words.begin() + 2, words.end());
        if (AsksForHelp(rest))
            return Print(Help(action));
        return Execute(action, rest, verbose);
    }
    std::cerr << "usage: unknown action " << kind << " " << words[1] << " (morvik " << kind << " --help lists them)\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
