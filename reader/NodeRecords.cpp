// Name records and transform records, shared by cameras and meshes.
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"

namespace {
// Words of a transform record, stored in the file and not interpreted.
constexpr int kTransformWords = 9;
}  // namespace

void SceneReader::ReadNameRecord(std::string& name)
{
    if (ReadTag() != tags::kName)
        return;
    ReadString();
    name = Text();
    // Any other value ends the record and is not given back; a secondary
    // name is read past.
    if (ReadTag() == tags::kSecondaryName)
        ReadString();
}

void SceneReader::ReadTransform(NodeTransform& transform)
{
    if (ReadTag() != tags::kTransform)
        return;
    if (ReadTag() != tags::kName)
        return;
    ReadString();   // the transform's name
    for (int i = 0; i < kTransformWords; ++i)
        ReadTag();
    for (uint32_t& value : transform.values)
        value = ReadValue();
    ReadTag();   // closing tag, any value
}
