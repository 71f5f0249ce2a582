// The read limit of this machine for a file: fread in 1 MiB blocks, touching
// one byte of every 64-byte cache line so the data really reaches the CPU.
// Nothing is decoded; an import cannot be faster than this.
//
//   bench_read_limit FILE
//
// Prints one line: "bytes B checksum C".
#include <cstdint>
#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: bench_read_limit FILE\n", stderr);
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "bench_read_limit: cannot open %s\n", argv[1]);
        return 1;
    }
    constexpr size_t kBlockSize = 1 << 20;
    constexpr size_t kCacheLine = 64;
    auto block = std::make_unique<uint8_t[]>(kBlockSize);
    uint64_t total = 0;
    uint64_t checksum = 0;
    size_t got;
    while ((got = std::fread(block.get(), 1, kBlockSize, file)) > 0) {
        for (size_t i = 0; i < got; i += kCacheLine)
            checksum += block[i];
        total += got;
    }
    std::fclose(file);
    std::printf("bytes %llu checksum %llu\n", static_cast<unsigned long long>(total),
                static_cast<unsigned long long>(checksum));
    return 0;
}
