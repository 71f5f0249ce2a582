// System calls the WebAssembly C library declares but does not provide,
// answered as a kernel without them answers, so the callers' own fallbacks
// run.
#include <cerrno>

#include <unistd.h>

// The temporary files' copy then goes through a buffer, as on file systems
// that cannot copy by themselves.
extern "C" ssize_t copy_file_range(int, off_t*, int, off_t*, size_t, unsigned)
{
    errno = ENOSYS;
    return -1;
}
