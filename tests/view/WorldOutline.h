// The country outlines of the Natural Earth 1:110m test layer as rings of
// GlobeUnit points, for drawing a recognisable world through the globe's
// drawing services before any layer is involved.
#pragma once

#include "formats/SHPFile.h"
#include "geo/GlobeTypes.h"

#include <QFile>
#include <vector>

inline std::vector<std::vector<TGeoPoint>> WorldOutline()
{
    QFile file(QStringLiteral(BRUMEX_TEST_DATA "/naturalearth/ne_110m_countries.shp"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const std::span<const std::uint8_t> data(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    const TSHPFile shp(data, "ne_110m_countries.shp");
    const TSHPCoordinateCorrection degrees;
    std::vector<std::vector<TGeoPoint>> rings;
    for (std::size_t position : shp.RecordPositions()) {
        const TSHPShape shape = shp.ReadShape(position);
        for (std::size_t k = 0; k < shape.PartCount(); ++k) {
            std::vector<TGeoPoint>& ring = rings.emplace_back();
            for (const TSHPPoint& p : shape.Part(k))
                ring.push_back(degrees.GeoPoint(p));
        }
    }
    return rings;
}
