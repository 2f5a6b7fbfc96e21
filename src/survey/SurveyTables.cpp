#include "survey/SurveyTables.h"

#include "survey/TableStateSlots.h"

#include <QApplication>
#include <QFileInfo>
#include <optional>

QVector<TFieldDef> SurveyTableFields()
{
    return {
        { QStringLiteral("Refer"), TFieldType::ftString, 6 },
        { QStringLiteral("Lon"), TFieldType::ftInteger, 0 },
        { QStringLiteral("Lat"), TFieldType::ftInteger, 0 },
        { QStringLiteral("Odom"), TFieldType::ftFloat, 0 },
        { QStringLiteral("PK"), TFieldType::ftFloat, 0 },
        { QStringLiteral("Hora"), TFieldType::ftDateTime, 0 },
        { QStringLiteral("Obs"), TFieldType::ftString, 120 },
    };
}

QVector<TFieldDef> TrackTableFields()
{
    return {
        { QStringLiteral("Refer"), TFieldType::ftString, 6 },
        { QStringLiteral("Lon"), TFieldType::ftInteger, 0 },
        { QStringLiteral("Lat"), TFieldType::ftInteger, 0 },
        { QStringLiteral("PK"), TFieldType::ftFloat, 0 },
        { QStringLiteral("Hora"), TFieldType::ftDateTime, 0 },
    };
}

namespace {

void CreateOpenClose(TDbTable& table, const QVector<TFieldDef>& fields, const QString& key)
{
    table.Close();
    table.CreateTable(fields, key);
    table.Open();
    table.Close();
}

// A whole number, or nothing for an empty or non-numeric value.
std::optional<qint64> AsInteger(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    bool ok = false;
    const qint64 number = value.toString().trimmed().toLongLong(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

QVariant KeyText(qint64 number, const TFieldDef& field)
{
    if (field.Type != TFieldType::ftString)
        return QVariant(static_cast<qint32>(number));
    return QStringLiteral("%1").arg(number, field.Size, 10, QLatin1Char('0'));
}

// Values kept out of the numbering: all nines, or a text beginning with "9".
bool Reserved(const QVariant& value, const TFieldDef& field)
{
    if (field.Type != TFieldType::ftString)
        return false;
    const QString text = value.toString();
    return text.startsWith(QLatin1Char('9')) || text == QString(field.Size, QLatin1Char('9'));
}

} // namespace

void CriaTbDados(TDbTable& table)
{
    CreateOpenClose(table, SurveyTableFields(), QStringLiteral("Refer"));
}

void CriaTbTrilha(TDbTable& table)
{
    CreateOpenClose(table, TrackTableFields(), QString());
}

QString TrackTablePath(const QString& surveyPath)
{
    const QFileInfo info(surveyPath);
    QString name = info.fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    name.insert(dot < 0 ? name.size() : dot, QStringLiteral("Tr"));
    const QString folder = surveyPath.left(surveyPath.size() - info.fileName().size());
    return folder + name;
}

QVariant NextKeyValue(TDbTable& table, const QString& fieldName)
{
    const TFieldDef field = table.Field(fieldName);
    const QVariant first = KeyText(1, field);
    table.DisableControls();
    const int slot = SurveySlots().Remember(table);
    auto restore = [&] {
        SurveySlots().Restore(table, slot);
        table.EnableControls();
    };
    QVariant result;
    try {
        table.SetIndexFieldNames(QString());
        table.SetFiltered(false);
        const std::optional<qint64> current = AsInteger(table.FieldValue(fieldName));
        if (!current) {
            result = table.IsEmpty()
                ? first
                : (field.Type == TFieldType::ftString ? QVariant(QString()) : QVariant());
        } else {
            if (*current < 0)
                QApplication::beep();
            qint64 maximum = 0;
            for (table.First(); !table.Eof(); table.Next()) {
                const QVariant value = table.FieldValue(fieldName);
                const std::optional<qint64> number = AsInteger(value);
                if (number && *number > maximum && !Reserved(value, field))
                    maximum = *number;
            }
            result = KeyText(maximum + 1, field);
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return result;
}
