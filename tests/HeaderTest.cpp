// The file header: which headers start an import, and that an accepted one
// leaves the reader exactly at the material section.
#include <gtest/gtest.h>

#include "tests/support/CaseName.h"
#include "tests/support/TraceLines.h"
#include "tests/support/TracedImport.h"
#include "tools/structural/KvdWriter.h"

using namespace kvdwriter;

namespace {

// The header, then an empty body: material frame 262 342 0 and its end
// word, object count 0, camera count 0, end tag 768. Read two bytes out of
// step, the body shows "Output Camera Error" or a damaged file.
std::vector<uint8_t> WithEmptyBody(const HeaderDescription& header)
{
    KvdWriter writer;
    writer.Header(header).MaterialSection({}).U16(0).U16(0).U16(kCameraSectionEnd);
    return writer.bytes();
}

HeaderDescription WithSignature(KvdString signature)
{
    return {.signature = std::move(signature)};
}

std::vector<uint8_t> Raw(std::initializer_list<uint8_t> bytes) { return bytes; }

const std::vector<std::string> kAccepted = {kStartSummary, kDefaultCameraSummary};
const std::vector<std::string> kDamaged = {kDamagedSummary};
const std::vector<std::string> kNotSceneFile = {"message 不是TRQ格式文件"};

struct HeaderCase {
    const char* name;
    std::vector<uint8_t> bytes;
    std::vector<std::string> expected;
};

const HeaderCase kHeaderCases[] = {
    {"smallest header", WithEmptyBody({}), kAccepted},
    {"header text", WithEmptyBody({.text = "made by hand"}), kAccepted},
    {"header text longer than the buffer", WithEmptyBody({.text = std::string(200, 't')}), kAccepted},
    {"values block", WithEmptyBody({.values = {{1.5f, -2.0f, 0.0f}}}), kAccepted},
    {"slots one off their tags", WithEmptyBody({.textSlot = 580, .valuesSlot = 584}), kAccepted},
    {"words of 65535",
     WithEmptyBody({.formatWord = 65535, .words = {65535, 65535, 65535, 65535}}), kAccepted},
    {"signature count 20 with six trailing bytes",
     WithEmptyBody(WithSignature(KvdString::Raw(20, std::string_view("*KOLVENDRASIT\0abcdef", 20)))),
     kAccepted},
    {"signature count 100", WithEmptyBody(WithSignature(KvdString::Raw(100, "*KOLVENDRASIT" + std::string(87, '\0')))),
     kAccepted},
    {"signature without its NUL", WithEmptyBody(WithSignature(KvdString::Raw(13, "*KOLVENDRASIT"))), kAccepted},
    {"signature in other case", WithEmptyBody(WithSignature("*KolVendrasit")), kNotSceneFile},
    {"signature with one more letter", WithEmptyBody(WithSignature("*KOLVENDRASITX")), kNotSceneFile},
    {"empty signature", WithEmptyBody(WithSignature("")), kNotSceneFile},
    {"first tag 599", WithEmptyBody({.firstTag = 599}), kDamaged},
    {"first tag 598 big-endian", WithEmptyBody({.firstTag = 0x5602}), kDamaged},
    {"empty file", {}, kDamaged},
    {"one byte", Raw({0x56}), kDamaged},
    {"first tag alone", Raw({0x56, 0x02}), kDamaged},
    {"signature count beyond the file", Raw({0x56, 0x02, 0xff, 0xff, 0xff, 0x7f, '*'}), kDamaged},
};

void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }

class HeaderTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderTest, StartsTheImportOnlyForAnAcceptedHeader)
{
    const HeaderCase& c = GetParam();
    EXPECT_EQ(Summaries(ImportTrace(c.bytes)), c.expected);
    if (c.expected == kAccepted && !c.bytes.empty()) {
        // The whole file was needed: without its last byte it is damaged.
        std::vector<uint8_t> shorter(c.bytes.begin(), c.bytes.end() - 1);
        std::vector<std::string> lines = Summaries(ImportTrace(shorter));
        EXPECT_TRUE(!lines.empty() && lines.back() == kDamagedSummary);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HeaderTest, testing::ValuesIn(kHeaderCases), CaseName());

TEST(HeaderSize, SmallestHeaderIs34BytesAndSmallestCompleteFile44)
{
    KvdWriter header;
    header.Header({});
    EXPECT_EQ(header.size(), 34u);

    KvdWriter smallest;
    smallest.Header({}).MaterialSection({.sectionTag = 0}).U16(0).U16(0).U16(kCameraSectionEnd);
    ASSERT_EQ(smallest.size(), 44u);
    EXPECT_EQ(Summaries(ImportTrace(smallest.bytes())), kAccepted);
}

}  // namespace
