#include "tools/kvd/JobOutput.h"

#include <cstdarg>

namespace {
void AppendFormatted(std::string& text, const char* format, va_list arguments)
{
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0)
        return;
    const size_t start = text.size();
    text.resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data() + start, static_cast<size_t>(length) + 1, format, arguments);
    text.resize(start + static_cast<size_t>(length));
}
}  // namespace

void JobOutput::Out(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    AppendFormatted(out_, format, arguments);
    va_end(arguments);
}

void JobOutput::Err(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    AppendFormatted(err_, format, arguments);
    va_end(arguments);
}

bool JobOutput::WriteTo(std::FILE* out, std::FILE* err)
{
    std::fwrite(err_.data(), 1, err_.size(), err);
    std::fflush(err);
    const bool written = std::fwrite(out_.data(), 1, out_.size(), out) == out_.size() && std::fflush(out) == 0;
    out_.clear();
    err_.clear();
    return written;
}
