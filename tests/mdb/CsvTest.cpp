#include "mdb/Csv.h"

#include <gtest/gtest.h>

using namespace mdb;

namespace {

std::string encoded(std::string_view text) {
    std::string line;
    appendCsvText(line, text);
    return line;
}

std::optional<std::string> decoded(std::string_view field) {
    return CsvFields(field).text();
}

}  // namespace

TEST(Csv, QuotesOnlyWhatNeedsItAndEveryTextReadsBack) {
    EXPECT_EQ(encoded("plain"), "plain");
    EXPECT_EQ(encoded("a,b"), "\"a,b\"");
    EXPECT_EQ(encoded("say \"hi\", then"), "\"say \"\"hi\"\", then\"");
    EXPECT_EQ(encoded("in \"middle\""), "in \"middle\"");
    for (const std::string text : {"", "plain", "a,b", "\"quoted\"", "\"", "\"\"", "a\"\",b", ",",
                                   "x,\"y\",z", "日本語,テスト"}) {
        EXPECT_EQ(decoded(encoded(text)), text) << text;
    }
    // Line breaks cannot split a record.
    EXPECT_EQ(encoded("one\ntwo\r"), "one two ");
    EXPECT_EQ(encoded("a,\nb"), "\"a, b\"");
}

TEST(Csv, ReadsFieldsByTheQuoteRulesAndBadQuotingMakesTheLineBad) {
    CsvFields fields("a,\"b,c\",,\"d\"\"e\"");
    EXPECT_EQ(fields.text(), "a");
    EXPECT_EQ(fields.text(), "b,c");
    EXPECT_EQ(fields.text(), "");
    EXPECT_EQ(fields.text(), "d\"e");
    EXPECT_EQ(fields.text(), std::nullopt);  // no more fields
    CsvFields unterminated("\"abc,def");
    EXPECT_EQ(unterminated.text(), std::nullopt);
    CsvFields trailing("\"abc\"x,def");
    EXPECT_EQ(trailing.text(), std::nullopt);
    EXPECT_EQ(trailing.text(), std::nullopt);  // a bad line stays bad
}

TEST(Csv, NumbersAreUnsignedDecimalsOnly) {
    std::string line;
    appendCsvNumber(line, 4294967295u);
    EXPECT_EQ(line, "4294967295");
    EXPECT_EQ(CsvFields("4294967295").number(), 4294967295u);
    EXPECT_EQ(CsvFields("2147483648").number(), 2147483648u);
    EXPECT_EQ(CsvFields("007").number(), 7u);
    for (const char* bad : {"", "-1", "+1", " 1", "1 ", "1a", "4294967296", "99999999999"}) {
        EXPECT_EQ(CsvFields(bad).number(), std::nullopt) << bad;
    }
}
