#include "platform/Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, DecodesTheBytesFilesUse)
{
    // Degree sign, right single quote and right double quote as files write them.
    EXPECT_EQ(fromCp1252("12\xB0" "30\x92" "15\x94"), QString::fromUtf8("12°30’15”"));
    EXPECT_EQ(fromCp1252("Navega\xE7\xE3o"), QString::fromUtf8("Navegação"));
    EXPECT_EQ(fromCp1252("\x80"), QString::fromUtf8("€"));
}

TEST(Cp1252, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(toCp1252(fromCp1252(all)), all);
}

TEST(Cp1252, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(toCp1252(QString::fromUtf8("São ✈ Paulo")), "S\xE3o ? Paulo");
    EXPECT_EQ(toCp1252(QString::fromUtf8("“ok”")), "\x93ok\x94");
}
