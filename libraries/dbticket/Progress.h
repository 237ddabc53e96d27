#ifndef PROGRESS_H
#define PROGRESS_H

#include <functional>
#include <string>

// The library's progress lines ("COUNTERS UPDATE", "PRODUCT UPDATE", ...),
// which say how far the booking of a finished load got. Where they go is the
// program's choice: by default they go to standard output, as a program that
// prints nothing else there wants; a program whose standard output carries
// results sends them elsewhere or drops them.

// Where progress texts go. Each text holds whole lines, line ends included.
using ProgressSink = std::function<void(const std::string& text)>;

// Hands `text` to the sink.
void Progress(const std::string& text);

// Makes `sink` the destination of every progress text; an empty sink is the
// default, standard output. Set it before the library runs: the sink is
// shared by every thread.
void SetProgressSink(ProgressSink sink);

#endif
