// The file header: the first tag and the signature decide whether the file
// is a kvd scene at all; everything else in it is read and kept.
#include <bit>

#include "reader/FormatTags.h"
#include "reader/SceneReader.h"
#include "reader/UserTexts.h"

namespace {
constexpr std::string_view kSignature = "*KOLVENDRASIT";
}

int SceneReader::ReadHeader(ImportHeader& header)
{
    header.firstTag = ReadTag();
    if (damaged_ || header.firstTag != tags::kFileStart) {
        ReportDamage();
        return 0;
    }

    ReadString();
    if (damaged_) {
        ReportDamage();
        return 0;
    }
    if (Text() != kSignature) {
        messages_.ShowMessage(texts::kNotSceneFile);
        return 0;
    }

    header.formatWord = ReadWord();
    if (ReadTag() == tags::kHeaderText) {
        ReadString();
        header.headerText = Text();
    }
    for (uint32_t& word : header.headerWords)
        word = ReadWord();
    if (ReadTag() == tags::kHeaderValues) {
        for (float& value : header.headerValues)
            value = ReadFloat();
    }

    // A header cut short is a damaged file: the import must not start on it.
    if (damaged_) {
        ReportDamage();
        return 0;
    }
    return 1;
}
