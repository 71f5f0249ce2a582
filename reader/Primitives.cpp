// The reader's primitives: tags, words, four-byte values and strings.
#include <algorithm>
#include <bit>
#include <cstring>

#include "reader/LittleEndian.h"
#include "reader/SceneReader.h"

SceneReader::SceneReader(MessageSink& messages) : messages_(messages) {}

SceneReader::~SceneReader()
{
    if (file != nullptr)
        std::fclose(file);
}

bool SceneReader::FailRead(void* dest, size_t n)
{
    damaged_ = true;
    std::memset(dest, 0, n);
    return false;
}

uint16_t SceneReader::ReadTag()
{
    uint8_t bytes[2];
    ReadBytes(bytes, sizeof bytes);
    currentTag = LoadU16(bytes);
    return currentTag;
}

uint16_t SceneReader::ReadWord()
{
    uint8_t bytes[2];
    ReadBytes(bytes, sizeof bytes);
    wordScratch = LoadU16(bytes);
    return wordScratch;
}

uint32_t SceneReader::ReadValue()
{
    uint8_t bytes[4];
    ReadBytes(bytes, sizeof bytes);
    valueScratch = LoadU32(bytes);
    return valueScratch;
}

float SceneReader::ReadFloat()
{
    return std::bit_cast<float>(ReadValue());
}

int32_t SceneReader::ReadInt()
{
    uint8_t bytes[4];
    ReadBytes(bytes, sizeof bytes);
    intScratch = static_cast<int32_t>(LoadU32(bytes));
    return intScratch;
}

void SceneReader::ReadString()
{
    uint8_t bytes[4];
    ReadBytes(bytes, sizeof bytes);
    textLength = LoadU32(bytes);
    // The text ends at its first NUL and has at most 83 bytes; whatever the
    // count claims beyond the buffer is passed over without being stored.
    size_t kept = std::min<size_t>(textLength, kTextBufferSize - 1);
    ReadBytes(textBuffer, kept);
    textBuffer[kept] = '\0';
    if (!damaged_ && !input_->Skip(textLength - kept))
        damaged_ = true;
    if (damaged_)
        textBuffer[0] = '\0';
}

std::string_view SceneReader::Text() const
{
    return std::string_view(textBuffer, std::strlen(textBuffer));
}

SceneReader::NestingLevel::NestingLevel(SceneReader& reader)
    : reader_(reader), allowed_(++reader.nestingDepth_ <= kMaxNestingDepth)
{
    if (!allowed_)
        reader_.damaged_ = true;
}

void SceneReader::ReportDamage()
{
    if (damageReported_)
        return;
    damageReported_ = true;
    messages_.ShowMessage(texts::kFileDamaged);
}
