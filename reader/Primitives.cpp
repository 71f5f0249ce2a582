// The reader's primitives: tags, words, four-byte values and strings.
#include <algorithm>
#include <bit>
#include <cstring>

#include "reader/LittleEndian.h"
#include "reader/SceneReader.h"
#include "base/TextFit.h"

SceneReader::SceneReader(MessageSink& messages, SceneDestination& destination)
    : messages_(messages), destination_(destination)
{
}

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
    return LoadU16(bytes);
}

uint32_t SceneReader::ReadValue()
{
    uint8_t bytes[4];
    ReadBytes(bytes, sizeof bytes);
    return LoadU32(bytes);
}

float SceneReader::ReadFloat()
{
    return std::bit_cast<float>(ReadValue());
}

int32_t SceneReader::ReadInt()
{
    uint8_t bytes[4];
    ReadBytes(bytes, sizeof bytes);
    return static_cast<int32_t>(LoadU32(bytes));
}

void SceneReader::ReadString()
{
    uint8_t bytes[4];
    ReadBytes(bytes, sizeof bytes);
    const uint32_t count = LoadU32(bytes);
    // The text ends at its first NUL and has at most 83 bytes. One byte more
    // than that is read, to tell where a cut text's last character ends;
    // whatever the count claims beyond is passed over without being stored.
    const size_t stored = std::min<size_t>(count, kTextBufferSize);
    ReadBytes(textBuffer, stored);
    if (!damaged_ && !input_->Skip(count - stored))
        damaged_ = true;
    if (damaged_) {
        textBuffer[0] = '\0';
        return;
    }
    const std::string_view read(textBuffer, stored);
    size_t length = std::min(read.find('\0'), read.size());
    if (length == kTextBufferSize)
        length = GbkFitLength(read, kTextBufferSize - 1);
    textBuffer[length] = '\0';
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
    messages_.ShowMessage(ImportMessage::FileDamaged);
}
