// Runs a command several times and reports, for each run, its wall time and
// its peak resident memory. A program of its own so that neither the
// measuring interpreter's start-up nor its memory shows in the figures: on
// Linux a child's peak memory includes what its parent held when it forked.
//
//   bench_timed_run RUNS STDOUT_FILE COMMAND [ARGS...]
//
// The command's standard output goes to STDOUT_FILE (rewritten each run).
// Prints one line per run: "seconds S cpu C peak_bytes P", C being user
// and system time together. Exits 1 as soon as a run fails.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
double Now()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fputs("usage: bench_timed_run RUNS STDOUT_FILE COMMAND [ARGS...]\n", stderr);
        return 2;
    }
    int runs = std::atoi(argv[1]);
    const char* outputPath = argv[2];
    char** command = argv + 3;
    for (int run = 0; run < runs; ++run) {
        int output = open(outputPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (output < 0) {
            std::perror(outputPath);
            return 1;
        }
        double start = Now();
        pid_t child = fork();
        if (child == 0) {
            dup2(output, STDOUT_FILENO);
            close(output);
            execvp(command[0], command);
            std::perror(command[0]);
            _exit(127);
        }
        close(output);
        int status = 0;
        rusage usage{};
        if (child < 0 || wait4(child, &status, 0, &usage) != child) {
            std::perror("bench_timed_run");
            return 1;
        }
        double seconds = Now() - start;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "bench_timed_run: %s failed (status %d)\n", command[0], status);
            return 1;
        }
        // ru_maxrss is in KiB on Linux.
        double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
        std::printf("seconds %.6f cpu %.6f peak_bytes %lld\n", seconds, cpu,
                    static_cast<long long>(usage.ru_maxrss) * 1024);
        std::fflush(stdout);
    }
    return 0;
}
