#ifndef PROGRESSCAPTURE_H
#define PROGRESSCAPTURE_H

#include <string>

// Collects the library's progress lines while it lives, in place of standard
// output; the default destination is back when it goes.
class ProgressCapture {
public:
    ProgressCapture();
    ~ProgressCapture();
    ProgressCapture(const ProgressCapture&) = delete;
    ProgressCapture& operator=(const ProgressCapture&) = delete;

    const std::string& Text() const { return text; }

private:
    std::string text;
};

#endif
