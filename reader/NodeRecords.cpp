// Name records and transform records, shared by cameras and meshes.
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"

void SceneReader::ReadNameRecord(std::string& name, std::string& secondaryName)
{
    if (ReadTag() != tags::kName)
        return;
    ReadString();
    name = Text();
    // Any other value ends the record and is not given back.
    if (ReadTag() == tags::kSecondaryName) {
        ReadString();
        secondaryName = Text();
    }
}

void SceneReader::ReadTransform(NodeTransform& transform)
{
    if (ReadTag() != tags::kTransform)
        return;
    if (ReadTag() != tags::kName)
        return;
    ReadString();
    transform.name = Text();
    for (uint32_t& word : transform.words)
        word = ReadTag();
    for (uint32_t& value : transform.values)
        value = ReadValue();
    ReadTag();   // closing tag, any value
}
