#include "ProgressCapture.h"

#include "Progress.h"

ProgressCapture::ProgressCapture()
{
    SetProgressSink([this](const std::string& line) { text += line; });
}

ProgressCapture::~ProgressCapture()
{
    SetProgressSink(nullptr);
}
