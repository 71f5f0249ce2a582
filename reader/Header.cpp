// The file header: the first tag and the signature decide whether the file
// is a kvd scene at all. The rest of the header (a format word, an optional
// text, four words and an optional block of three values) is read to stay in
// step; nothing uses it.
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"

namespace {
constexpr std::string_view kSignature = "*KOLVENDRASIT";
constexpr int kHeaderWords = 4;
constexpr int kHeaderValues = 3;
}  // namespace

std::optional<ImportResult> SceneReader::ReadHeader()
{
    const uint16_t firstTag = ReadTag();
    if (damaged_ || firstTag != tags::kFileStart) {
        ReportDamage();
        return ImportResult::HeaderDamaged;
    }

    ReadString();
    if (damaged_) {
        ReportDamage();
        return ImportResult::HeaderDamaged;
    }
    if (Text() != kSignature) {
        messages_.ShowMessage(ImportMessage::NotKvdFile);
        return ImportResult::NotKvdFile;
    }

    ReadWord();   // format word
    if (ReadTag() == tags::kHeaderText)
        ReadString();
    for (int i = 0; i < kHeaderWords; ++i)
        ReadWord();
    if (ReadTag() == tags::kHeaderValues) {
        for (int i = 0; i < kHeaderValues; ++i)
            ReadValue();
    }

    // A header cut short is a damaged file: the import must not start on it.
    if (damaged_) {
        ReportDamage();
        return ImportResult::HeaderDamaged;
    }
    return std::nullopt;
}
