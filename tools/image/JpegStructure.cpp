#include "tools/image/ByteCursor.h"
#include "tools/image/ImageLimits.h"
#include "tools/image/ImageStructure.h"

namespace {

constexpr uint8_t kSof0 = 0xC0, kSof1 = 0xC1, kSof2 = 0xC2;
constexpr uint8_t kDht = 0xC4, kDac = 0xCC, kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA;

bool IsRestart(uint8_t marker)
{
    return marker >= 0xD0 && marker <= 0xD7;
}

// The other start-of-frame markers: lossless, hierarchical and arithmetic
// coding, which the decoder does not read and viewers rarely show.
bool IsOtherFrame(uint8_t marker)
{
    return marker >= 0xC3 && marker <= 0xCF && marker != kDht && marker != kDac && marker != 0xC8;
}

// Entropy-coded bytes after a scan header, up to the next marker that is
// not a restart (0xFF 0x00 is a stuffed data byte). Leaves in on that
// marker's 0xFF; fails when the file ends first.
unsigned long long SkipEntropyCoded(ByteCursor& in, std::span<const uint8_t> bytes)
{
    const size_t start = in.position();
    size_t at = start;
    while (at + 1 < bytes.size()) {
        if (bytes[at] == 0xFF && bytes[at + 1] != 0x00 && !IsRestart(bytes[at + 1]) && bytes[at + 1] != 0xFF)
            break;
        ++at;
    }
    in.Skip(at + 1 < bytes.size() ? at - start : bytes.size() - start + 1);
    return at - start;
}

// Each Huffman table of a DHT segment: its class and slot in range, and at
// most 256 codes, all present. (A decoder that trusts the counts writes past
// its tables.)
bool HuffmanTablesValid(ByteCursor& segment)
{
    while (segment.ok() && segment.remaining() > 0) {
        const uint8_t slot = segment.U8();
        if ((slot >> 4) > 1 || (slot & 15) > 3)
            return false;
        unsigned codes = 0;
        for (int length = 0; length < 16; ++length)
            codes += segment.U8();
        if (codes > 256 || !segment.Skip(codes))
            return false;
    }
    return segment.ok();
}

}  // namespace

std::string CheckJpegStructure(std::span<const uint8_t> bytes, ImageLayout& layout)
{
    ByteCursor in(bytes, 2);
    bool haveFrame = false;
    int scans = 0;
    uint32_t width = 0, height = 0;
    unsigned long long entropyBytes = 0;
    while (true) {
        if (in.U8() != 0xFF)
            return in.ok() ? "damaged (a marker is missing)" : "cut off (no end-of-image marker)";
        uint8_t marker = in.U8();
        while (marker == 0xFF)   // fill bytes
            marker = in.U8();
        if (!in.ok())
            return "cut off (no end-of-image marker)";
        if (marker == kEoi)
            break;
        if (marker == kSoi || marker == 0x00)
            return "damaged (a marker out of place)";
        if (IsRestart(marker) || marker == 0x01)
            continue;   // markers without a segment
        const uint16_t length = in.U16Be();
        if (length < 2 || length - 2u > in.remaining())
            return "cut off (a segment runs past the end of the file)";
        ByteCursor segment(bytes.subspan(in.position(), length - 2u));
        in.Skip(length - 2u);
        if (marker == kSof0 || marker == kSof1 || marker == kSof2) {
            if (haveFrame)
                return "damaged (two frame headers)";
            haveFrame = true;
            const uint8_t precision = segment.U8();
            height = segment.U16Be();
            width = segment.U16Be();
            const uint8_t components = segment.U8();
            if (!segment.ok() || precision != 8 || (components != 1 && components != 3 && components != 4))
                return "a JPEG coding the tool does not read (not 8-bit grey, colour or CMYK)";
            for (uint8_t c = 0; c < components; ++c) {
                segment.U8();
                const uint8_t sampling = segment.U8();
                segment.U8();
                if ((sampling >> 4) < 1 || (sampling >> 4) > 4 || (sampling & 15) < 1 || (sampling & 15) > 4)
                    return "damaged (its frame header is not valid)";
            }
            if (!segment.ok())
                return "damaged (its frame header is cut short)";
            if (std::string why = CheckPictureSize(width, height); !why.empty())
                return why;
        } else if (marker == kDht) {
            if (!HuffmanTablesValid(segment))
                return "damaged (a Huffman table is not valid)";
        } else if (IsOtherFrame(marker)) {
            return "a JPEG coding the tool does not read (lossless, hierarchical or arithmetic)";
        } else if (marker == kSos) {
            if (!haveFrame)
                return "damaged (a scan before the frame header)";
            if (++scans > kMaxJpegScans)
                return "too many scans (more than " + std::to_string(kMaxJpegScans) + ")";
            entropyBytes += SkipEntropyCoded(in, bytes);
            if (!in.ok())
                return "cut off (no end-of-image marker)";
        }
    }
    if (!haveFrame || scans == 0)
        return "damaged (no frame or no scan)";
    // Every 8 x 8 block of the picture costs at least one bit of some scan.
    const unsigned long long blocks = ((width + 7ull) / 8) * ((height + 7ull) / 8);
    if (std::string why = CheckPlausibleData(entropyBytes, blocks, 8); !why.empty())
        return why;
    layout = {ImageKind::Jpeg, static_cast<int>(width), static_cast<int>(height)};
    return {};
}
