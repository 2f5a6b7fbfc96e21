#include "app/EditMask.h"

#include "app/Formatting.h"

#include <QLineEdit>

namespace {

// A character that stands for itself; those the input mask reads as mask
// characters are escaped.
QString Literal(QChar c)
{
    static const QString special = QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\;");
    return special.contains(c) ? QStringLiteral("\\") + c : QString(c);
}

// A classic mask character and its input-mask counterpart.
QString Translated(QChar c)
{
    switch (c.unicode()) {
    case 'L':
        return QStringLiteral("A"); // letter, required
    case 'l':
        return QStringLiteral("a"); // letter, optional
    case 'A':
        return QStringLiteral("N"); // letter or digit, required
    case 'a':
        return QStringLiteral("n");
    case 'C':
        return QStringLiteral("X"); // any character, required
    case 'c':
        return QStringLiteral("x");
    case '0':
        return QStringLiteral("9"); // digit, required
    case '9':
        return QStringLiteral("0"); // digit, optional
    case '#':
        return QStringLiteral("#"); // digit or sign, optional
    case '>':
        return QStringLiteral(">");
    case '<':
        return QStringLiteral("<");
    case '_':
        return QStringLiteral(" "); // a blank in the text
    case '!':
        return {}; // trims leading blanks: the input mask has no such rule
    default:
        return Literal(c);
    }
}

// Cuts the last field off the mask when an unescaped ";" starts it.
bool CutField(QString& mask, QString& field)
{
    const qsizetype at = mask.lastIndexOf(QLatin1Char(';'));
    if (at < 0 || (at > 0 && mask[at - 1] == QLatin1Char('\\')))
        return false;
    field = mask.mid(at + 1);
    mask.truncate(at);
    return true;
}

} // namespace

QString QtInputMask(const QString& editMask)
{
    // "mask;1;_": the literals are always kept in the text here, and the
    // blank character is "_" unless the third field names another.
    QString mask = editMask;
    QString blank = QStringLiteral("_");
    QString field;
    if (CutField(mask, field)) {
        QString save;
        if (CutField(mask, save) && !field.isEmpty())
            blank = field.left(1);
    }
    QString result;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (c == QLatin1Char('\\') && i + 1 < mask.size())
            result += Literal(mask[++i]);
        else if (c == QLatin1Char('<') && i + 1 < mask.size() && mask[i + 1] == QLatin1Char('>')) {
            result += QLatin1Char('!'); // "<>": letter case as typed
            ++i;
        } else
            result += Translated(c);
    }
    return result + QLatin1Char(';') + blank;
}

void ApplyEditMask(QLineEdit& edit, const QString& editMask)
{
    edit.setInputMask(QtInputMask(editMask));
}

void ShowCoordEditText(QLineEdit& edit, const QString& text)
{
    ApplyEditMask(edit, CoordEditMask(text));
    edit.setText(text);
}
