#include "platform/TextFields.h"

#include "../common/LocaleScope.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<std::string> AllFields(std::string_view sentence, int extraCalls)
{
    std::vector<std::string> fields;
    int remaining = static_cast<int>(sentence.size());
    while (remaining > 0)
        fields.push_back(NextField(sentence, remaining));
    for (int i = 0; i < extraCalls; ++i) {
        fields.push_back(NextField(sentence, remaining));
        EXPECT_EQ(remaining, 0);
    }
    return fields;
}

} // namespace

TEST(NextField, SplitsASentenceFieldByField)
{
    const std::vector<std::string> expected { "$GPRMC", "123519", "A", "", "N", "", "" };
    EXPECT_EQ(AllFields("$GPRMC,123519,A,,N", 2), expected);
}

TEST(NextField, CountsWhatIsLeftAndDropsLeadingBlanks)
{
    const std::string sentence = "  a, b ,c";
    int remaining = static_cast<int>(sentence.size());
    EXPECT_EQ(NextField(sentence, remaining), "a");
    EXPECT_EQ(remaining, 5);
    EXPECT_EQ(NextField(sentence, remaining), "b ");
    EXPECT_EQ(remaining, 1);
    EXPECT_EQ(NextField(sentence, remaining), "c");
    EXPECT_EQ(remaining, 0);
}

TEST(NextField, ACountBeyondTheSentenceReadsItAllAndANegativeOneReadsNothing)
{
    int remaining = 100;
    EXPECT_EQ(NextField("x,y", remaining), "x");
    EXPECT_EQ(remaining, 1);
    remaining = -3;
    EXPECT_EQ(NextField("x,y", remaining), "");
    EXPECT_EQ(remaining, 0);
    remaining = 5;
    EXPECT_EQ(NextField("", remaining), "");
    EXPECT_EQ(remaining, 0);
}

TEST(LocalDecimal, UsesTheSystemSeparator)
{
    {
        LocaleScope brazil(QLocale(QLocale::Portuguese, QLocale::Brazil));
        EXPECT_EQ(LocalDecimal("4807.038"), "4807,038");
        EXPECT_EQ(LocalDecimal("1.5,2.5"), "1,5,2,5");
        EXPECT_EQ(FloatOrDefault(LocalDecimal("022.4"), -1), 22.4);
    }
    {
        LocaleScope c(QLocale::c());
        EXPECT_EQ(LocalDecimal("4807,038"), "4807.038");
        EXPECT_EQ(LocalDecimal("4807.038"), "4807.038");
    }
}

TEST(FloatOrDefault, AnswersTheDefaultForTextThatIsNoNumber)
{
    LocaleScope c(QLocale::c());
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        { "", 7.5 },
        { "12.25", 12.25 },
        { " 3 ", 3 },
        { "-0.5", -0.5 },
        { "1e3", 1000 },
        { "abc", 7.5 },
        { "1,5", 7.5 }, // no thousands separators
        { "1.2.3", 7.5 },
        { "nan", 7.5 },
        { "inf", 7.5 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatOrDefault(c.text, 7.5), c.expected) << c.text;
}
