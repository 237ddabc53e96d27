#include "Progress.h"

#include <cstdio>
#include <utility>

namespace {

ProgressSink& Sink()
{
    static ProgressSink sink;
    return sink;
}

}  // namespace

void Progress(const std::string& text)
{
    if (Sink())
        Sink()(text);
    else
        std::fwrite(text.data(), 1, text.size(), stdout);
}

void SetProgressSink(ProgressSink sink)
{
    Sink() = std::move(sink);
}
