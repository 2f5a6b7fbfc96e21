#include "formats/GpxFile.h"

#include "platform/GlobeException.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>

namespace {

class TGpxReader {
public:
    TGpxReader(const QByteArray& bytes, std::string sourceName)
        : FXml(bytes)
        , FSourceName(std::move(sourceName))
    {
    }

    TGpxData Read()
    {
        if (!FXml.readNextStartElement() || FXml.name() != u"gpx")
            Fail("not a GPX document");
        TGpxData data;
        while (FXml.readNextStartElement()) {
            if (FXml.name() == u"wpt")
                data.Waypoints.push_back(ReadPoint());
            else if (FXml.name() == u"rte")
                data.Routes.push_back(ReadRoute());
            else
                FXml.skipCurrentElement();
        }
        if (FXml.hasError())
            Fail(FXml.errorString().toStdString());
        return data;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw EGlobeException(FSourceName + ", line " + std::to_string(FXml.lineNumber()) + ": " + what);
    }

    double Coordinate(const char* name, double limit)
    {
        bool ok = false;
        const double value = FXml.attributes().value(QLatin1String(name)).toDouble(&ok);
        if (!ok || !std::isfinite(value) || std::fabs(value) > limit)
            Fail(std::string("a point without a valid ") + name);
        return value;
    }

    TGpxPoint ReadPoint()
    {
        TGpxPoint point;
        point.Lat = Coordinate("lat", 90);
        point.Lon = Coordinate("lon", 180);
        while (FXml.readNextStartElement()) {
            if (FXml.name() == u"name")
                point.Name = FXml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            else if (FXml.name() == u"sym")
                point.Symbol = FXml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            else if (FXml.name() == u"type")
                point.Type = FXml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            else
                FXml.skipCurrentElement();
        }
        return point;
    }

    TGpxRoute ReadRoute()
    {
        TGpxRoute route;
        while (FXml.readNextStartElement()) {
            if (FXml.name() == u"name")
                route.Name = FXml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            else if (FXml.name() == u"rtept")
                route.Points.push_back(ReadPoint());
            else
                FXml.skipCurrentElement();
        }
        return route;
    }

    QXmlStreamReader FXml;
    std::string FSourceName;
};

void WriteTextElement(QXmlStreamWriter& xml, const char* name, const QString& text)
{
    if (!text.isEmpty())
        xml.writeTextElement(QLatin1String(name), text);
}

void WritePoint(QXmlStreamWriter& xml, const char* element, const TGpxPoint& point)
{
    xml.writeStartElement(QLatin1String(element));
    xml.writeAttribute(QStringLiteral("lat"), QString::number(point.Lat, 'f', 9));
    xml.writeAttribute(QStringLiteral("lon"), QString::number(point.Lon, 'f', 9));
    // GPX 1.1 fixes the order of the children: name, ..., sym, type.
    WriteTextElement(xml, "name", point.Name);
    WriteTextElement(xml, "sym", point.Symbol);
    WriteTextElement(xml, "type", point.Type);
    xml.writeEndElement();
}

} // namespace

TGpxData ReadGpx(const QByteArray& bytes, const std::string& sourceName)
{
    return TGpxReader(bytes, sourceName).Read();
}

QByteArray WriteGpx(const TGpxData& data)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("gpx"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.topografix.com/GPX/1/1"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("Brumex"));
    for (const TGpxPoint& w : data.Waypoints)
        WritePoint(xml, "wpt", w);
    for (const TGpxRoute& route : data.Routes) {
        xml.writeStartElement(QStringLiteral("rte"));
        WriteTextElement(xml, "name", route.Name);
        for (const TGpxPoint& p : route.Points)
            WritePoint(xml, "rtept", p);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}
