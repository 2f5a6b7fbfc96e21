#include "platform/TextFields.h"

#include <QLocale>
#include <cmath>

namespace {

std::string_view WithoutLeadingBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return s;
}

QString DecimalSeparator()
{
    const QString separator = QLocale().decimalPoint();
    return separator.isEmpty() ? QStringLiteral(",") : separator;
}

} // namespace

std::string NextField(std::string_view sentence, int& remaining, std::string_view separator)
{
    if (remaining <= 0) {
        remaining = 0;
        return {};
    }
    const size_t count = static_cast<size_t>(remaining);
    const std::string_view rest
        = count >= sentence.size() ? sentence : sentence.substr(sentence.size() - count);
    const size_t at = separator.empty() ? std::string_view::npos : rest.find(separator);
    if (at == std::string_view::npos) {
        remaining = 0;
        return std::string(WithoutLeadingBlanks(rest));
    }
    // What follows the separator's first character remains; with the
    // one-character separators of sentences that is the next field onwards.
    remaining = static_cast<int>(rest.size() - (at + 1));
    return std::string(WithoutLeadingBlanks(rest.substr(0, at)));
}

QString LocalDecimal(const QString& text)
{
    const QString separator = DecimalSeparator();
    const QChar other = separator == QStringLiteral(",") ? QLatin1Char('.') : QLatin1Char(',');
    QString result = text;
    return result.replace(other, separator);
}

double FloatOrDefault(const QString& text, double fallback)
{
    if (text.isEmpty())
        return fallback;
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value) ? value : fallback;
}
