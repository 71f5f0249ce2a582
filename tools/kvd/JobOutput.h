// What the work on one file prints, held until the work ends and then
// written whole, so that files worked on at the same time never mix their
// lines.
#pragma once

#include <cstdio>
#include <string>

class JobOutput {
public:
    void Out(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Err(const char* format, ...) __attribute__((format(printf, 2, 3)));

    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }

    // Writes what was kept to the two streams and forgets it; false when the
    // standard output could not be written.
    bool WriteTo(std::FILE* out, std::FILE* err);

private:
    std::string out_;
    std::string err_;
};
