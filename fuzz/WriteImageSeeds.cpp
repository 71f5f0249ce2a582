// Writes the image fuzzer's seed corpus: small valid files of every kind
// the tool reads, in true colour, with alpha and with palettes of several
// sizes (the short ones indexed past their end).
//
//   kvd_write_image_seeds DIR   writes DIR/<kind>-<variant>.img for each
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/ImageFiles.h"

using testimages::ImageSpec;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvd_write_image_seeds DIR\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const struct {
        const char* name;
        ImageSpec spec;
    } variants[] = {
        {"rgb", {5, 3, 0, false}},
        {"rgba", {3, 5, 0, true}},
        {"palette2", {4, 4, 2, false}},
        {"palette16", {7, 2, 16, false}},
        {"palette256", {16, 16, 256, false}},
        {"tall", {1, 9, 0, false}},
        {"packed", {40, 3, 0, false, true}},
        {"packed-alpha", {3, 5, 0, true, true}},
    };
    const ImageKind kinds[] = {ImageKind::Png, ImageKind::Jpeg, ImageKind::Bmp, ImageKind::Tga,
                               ImageKind::Gif, ImageKind::Psd, ImageKind::Tiff};
    int written = 0;
    for (ImageKind kind : kinds) {
        for (const auto& variant : variants) {
            const std::vector<uint8_t> bytes = testimages::MakeImage(kind, variant.spec);
            if (bytes.empty())
                continue;
            std::ofstream out(folder / (std::string(ImageKindName(kind)) + "-" + variant.name + ".img"),
                              std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            ++written;
        }
    }
    std::printf("%d seed images in %s\n", written, folder.string().c_str());
    return 0;
}
