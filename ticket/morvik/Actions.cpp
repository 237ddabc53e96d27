#include "Actions.h"

#include <sstream>

#include "UnitOfWork.h"
#include "Output.h"

std::string OneMessage(const std::string& message)
{
    // libpq's messages end in a newline and the uniqueness check's has two lines.
    std::string line;
    for (char c : message)
        line += c == '\n' || c == '\r' ? ' ' : c;
    std::string::size_type end = line.find_last_not_of(' ');
    line.erase(end == std::string::npos ? 0 : end + 1);
    return OneLine(line);
}

void Check(bool ok, const DBObject& object, const std::string& doing)
{
    if (ok)
        return;
    std::string message = OneMessage(object.ErrorMsg());
    throw Failure(doing + (message.empty() ? " failed" : ": " + message));
}

std::string Quoted(const std::string& id)
{
    return "'" + OneLine(id) + "'";
}

std::string Named(const std::string& kind, const std::string& id)
{
    return kind + " " + Quoted(id);
}

ActionRun OneVersion(ActionRun action)
{
    return [action](Context& ctx, const Args& args) {
        UnitOfWork unit(ctx.conninfo, UnitOfWork::Access::ReadOnly);
        action(ctx, args);
    };
}

ActionRun AllOrNothing(ActionRun action)
{
    return [action](Context& ctx, const Args& args) {
        UnitOfWork unit(ctx.conninfo);
        std::ostringstream result;
        Context inner{ctx.conninfo, result};
        action(inner, args);
        if (!unit.Commit())
            throw Failure(OneMessage(unit.ErrorMsg()));
        ctx.out << result.str();
    };
}
