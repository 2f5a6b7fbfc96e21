#include "survey/SurveyExport.h"

#include "formats/GpxFile.h"
#include "platform/SaveFile.h"
#include "survey/DbTable.h"
#include "survey/SurveyTables.h"

#include <QDir>
#include <QFileInfo>
#include <QTimeZone>
#include <QXmlStreamWriter>
#include <stdexcept>

namespace {

constexpr double GUPerDegree = 5400000.0;

QString Degrees(const QVariant& gu)
{
    return gu.isNull() ? QString() : QString::number(gu.toInt() / GUPerDegree, 'f', 7);
}

QString Number(const QVariant& value)
{
    return value.isNull() ? QString() : QString::number(value.toDouble(), 'g', 15);
}

QString CsvField(const QString& text, QChar separator)
{
    if (!text.contains(separator) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\""))
        + QLatin1Char('"');
}

QString UtcText(const QVariant& local)
{
    return local.toDateTime().toUTC().toString(Qt::ISODateWithMs);
}

bool HasPosition(TDbTable& table)
{
    return !table.FieldValue(QStringLiteral("Lon")).isNull()
        && !table.FieldValue(QStringLiteral("Lat")).isNull();
}

void WritePosition(QXmlStreamWriter& xml, TDbTable& table)
{
    xml.writeAttribute(QStringLiteral("lat"), Degrees(table.FieldValue(QStringLiteral("Lat"))));
    xml.writeAttribute(QStringLiteral("lon"), Degrees(table.FieldValue(QStringLiteral("Lon"))));
}

void WriteTime(QXmlStreamWriter& xml, TDbTable& table)
{
    const QVariant hora = table.FieldValue(QStringLiteral("Hora"));
    if (!hora.isNull())
        xml.writeTextElement(QStringLiteral("time"), UtcText(hora));
}

void WriteWaypoint(QXmlStreamWriter& xml, TDbTable& survey)
{
    xml.writeStartElement(QStringLiteral("wpt"));
    WritePosition(xml, survey);
    WriteTime(xml, survey);
    xml.writeTextElement(QStringLiteral("name"), survey.FieldValue(QStringLiteral("Refer")).toString());
    QString comment = QStringLiteral("Km ") + Number(survey.FieldValue(QStringLiteral("PK")));
    if (const QVariant odom = survey.FieldValue(QStringLiteral("Odom")); !odom.isNull())
        comment += QStringLiteral(" Od. ") + Number(odom);
    xml.writeTextElement(QStringLiteral("cmt"), comment);
    if (const QString obs = survey.FieldValue(QStringLiteral("Obs")).toString(); !obs.isEmpty())
        xml.writeTextElement(QStringLiteral("desc"), obs);
    xml.writeEndElement();
}

void WriteTrack(QXmlStreamWriter& xml, TDbTable& track, const QString& name)
{
    xml.writeStartElement(QStringLiteral("trk"));
    xml.writeTextElement(QStringLiteral("name"), name);
    xml.writeStartElement(QStringLiteral("trkseg"));
    for (track.First(); !track.Eof(); track.Next()) {
        if (!HasPosition(track))
            continue;
        xml.writeStartElement(QStringLiteral("trkpt"));
        WritePosition(xml, track);
        WriteTime(xml, track);
        if (const QVariant pk = track.FieldValue(QStringLiteral("PK")); !pk.isNull())
            xml.writeTextElement(QStringLiteral("cmt"), QStringLiteral("Km ") + Number(pk));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
}

void SaveWhole(const QString& path, const QByteArray& bytes)
{
    if (const QString reason = TrySaveFileAtomically(path, bytes); !reason.isEmpty())
        throw std::runtime_error(
            QStringLiteral("Não foi possível gravar %1: %2").arg(QDir::toNativeSeparators(path), reason).toStdString());
}

} // namespace

QByteArray SurveyCsv(TDbTable& survey, const TCsvOptions& options)
{
    const QChar sep = options.separator;
    const QStringList header { "Refer", "Lon", "Lat", "Longitude", "Latitude", "Odom", "PK", "Hora", "Obs" };
    QString text = header.join(sep) + QStringLiteral("\r\n");
    for (survey.First(); !survey.Eof(); survey.Next()) {
        const QVariant lon = survey.FieldValue(QStringLiteral("Lon"));
        const QVariant lat = survey.FieldValue(QStringLiteral("Lat"));
        const QVariant hora = survey.FieldValue(QStringLiteral("Hora"));
        const QStringList fields {
            survey.FieldValue(QStringLiteral("Refer")).toString(),
            lon.isNull() ? QString() : QString::number(lon.toInt()),
            lat.isNull() ? QString() : QString::number(lat.toInt()),
            Degrees(lon),
            Degrees(lat),
            Number(survey.FieldValue(QStringLiteral("Odom"))),
            Number(survey.FieldValue(QStringLiteral("PK"))),
            hora.isNull() ? QString() : hora.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            survey.FieldValue(QStringLiteral("Obs")).toString(),
        };
        QStringList quoted;
        for (const QString& field : fields)
            quoted << CsvField(field, sep);
        text += quoted.join(sep) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

QByteArray SurveyGpx(TDbTable& survey, TDbTable* track, const QString& name)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    WriteGpxStart(xml);
    xml.writeStartElement(QStringLiteral("metadata"));
    xml.writeTextElement(QStringLiteral("name"), name);
    xml.writeEndElement();
    for (survey.First(); !survey.Eof(); survey.Next())
        if (HasPosition(survey))
            WriteWaypoint(xml, survey);
    if (track)
        WriteTrack(xml, *track, name);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

void ExportSurvey(const QString& tablePath, const QString& outPath, const TCsvOptions& options)
{
    TDbTable survey;
    survey.SetTableName(tablePath);
    survey.Open();
    if (!outPath.endsWith(QStringLiteral(".gpx"), Qt::CaseInsensitive)) {
        SaveWhole(outPath, SurveyCsv(survey, options));
        return;
    }
    TDbTable track;
    track.SetTableName(TrackTablePath(tablePath));
    if (track.Exists())
        track.Open();
    SaveWhole(outPath,
        SurveyGpx(survey, track.Active() ? &track : nullptr, QFileInfo(tablePath).completeBaseName()));
}
