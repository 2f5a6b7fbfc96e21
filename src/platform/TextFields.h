// Small text helpers for comma-separated sentences and for numbers that a
// position source writes with "." whatever the user's locale.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// The next field of a sentence read from the front. remaining counts the
// characters not yet read; start it at the sentence's length. A field loses
// its leading blanks; after the last field the answer is empty and remaining
// stays 0.
std::string NextField(std::string_view sentence, int& remaining, std::string_view separator = ",");

// The text with the other of "," and "." replaced by the system's decimal
// separator (a comma when the system has none).
QString LocalDecimal(const QString& text);

// The number in the system's notation (see LocalDecimal); an empty or
// unreadable text answers the default.
double FloatOrDefault(const QString& text, double fallback);
