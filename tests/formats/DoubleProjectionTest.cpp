// The projection models draw in double arithmetic where it cannot change a
// device point and fall back to extended arithmetic where it could: over
// every vertex of real coastlines and views from the whole world down to a
// few metres a pixel, the device points are those of the extended loops.
#include "FileReaderFixture.h"
#include "FormatTestFiles.h"
#include "formats/GlobeSHPReader.h"
#include "geo/DevicePoints.h"
#include "geo/SphericalPrj.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TViewCase {
    const char* model;
    long double scale; // pixels a GlobeUnit
    long double xRotation, yRotation, zRotation; // the globe
    long double centralMeridian; // the flat maps
    bool farSidePass;
};

const TViewCase VIEWS[] = {
    { "TSphericalPrj", 1.2e-6L, -23.55L, 46.63L, 0, 0, false }, // the whole globe on 768 pixels
    { "TSphericalPrj", 1.2e-6L, 10, 200, 5, 0, true }, // its back, as a transparent globe draws it
    { "TSphericalPrj", 1e-5L, 45, -120, 30, 0, false },
    { "TSphericalPrj", 3e-4L, -23.55L, 46.63L, 0, 0, false }, // 1:1,000,000 or so
    { "TSphericalPrj", 1e-2L, 60, 10, 0, 0, false }, // 30 metres a pixel
    { "TCartesianPrj", 5.3e-7L, 0, 0, 0, -46.63L, false }, // the world on 1,024 pixels
    { "TCartesianPrj", 1e-4L, 0, 0, 0, 179.99L, false },
    { "TCartesianPrj", 1e-2L, 0, 0, 0, 12.5L, false },
    { "TMercatorPrj", 5.3e-7L, 0, 0, 0, -46.63L, false },
    { "TMercatorPrj", 3e-4L, 0, 0, 0, 100, false },
};

std::vector<TPoint> DevicePointsUpTo(int count)
{
    return { DevicePoints().Data(), DevicePoints().Data() + count };
}

class DoubleProjectionTest : public FileReaderFixture<TGlobeSHPReader> {
protected:
    void SetView(const TViewCase& view)
    {
        TGlobeProjection& p = *globe.projection;
        p.SetProjectionClass(view.model);
        p.SetXAxisChanges(TXAxisChanges::xaNoAction);
        p.SetYAxisChanges(TYAxisChanges::yaNoAction);
        p.SetXRotation(view.xRotation);
        p.SetYRotation(view.yRotation);
        p.SetZRotation(view.zRotation);
        p.SetCentralMeridian(view.centralMeridian);
        p.SetScaleFactor(view.scale);
        p.SetOrigin({ 512, 384 });
        p.FarSidePass = view.farSidePass;
    }

    // The chain as the model projects it, and as its extended loop does.
    void Compare(TPointStore& chain, bool closed)
    {
        TCustomProjectionModel& model = globe.projection->ProjectionModel();
        const std::vector<TPoint> drawn = DevicePointsUpTo(model.ProjectChain(chain, 0, closed));
        std::vector<TPoint> extended;
        if (auto* globeModel = dynamic_cast<TSphericalPrj*>(&model)) {
            const auto points = chain.Get3DPoints(false);
            extended = DevicePointsUpTo(globeModel->ProjectChainExtended(*points, 0, closed));
            doubleAnswered += globeModel->ProjectChainInDouble(*points, 0, closed) >= 0 ? 1 : 0;
        } else {
            auto& flat = dynamic_cast<TProjectionModel&>(model);
            extended = DevicePointsUpTo(flat.TProjectionModel::ProjectChain(chain, 0, closed));
            ++doubleAnswered;
        }
        ++chains;
        vertices += chain.Count();
        if (drawn != extended)
            ++differing;
    }

    int64_t chains = 0, vertices = 0, differing = 0, doubleAnswered = 0;
};

} // namespace

TEST_F(DoubleProjectionTest, DevicePointsAreThoseOfExtendedArithmetic)
{
    globe.metaDataLocation = TSaveMetaDataLocation::smdDiscard;
    for (const char* file : { "ne_50m_land.shp", "ne_110m_countries.shp" }) {
        TGlobeSHPReader& reader = Open(TestFile(file));
        for (const TViewCase& view : VIEWS) {
            SetView(view);
            chains = vertices = differing = doubleAnswered = 0;
            for (int i = 0; i < reader.Count(); ++i) {
                TGeoDataObject& object = Object(reader, i);
                for (int c = 0; c < object.Chains.Count(); ++c)
                    for (const bool closed : { false, true })
                        Compare(object.Chains.Chain(c), closed);
            }
            const std::string where = std::string(file) + " " + view.model + " " + std::to_string(static_cast<double>(view.scale));
            EXPECT_EQ(differing, 0) << where;
            EXPECT_GT(vertices, 20'000) << where;
            // The double loop draws nearly every chain itself.
            EXPECT_GE(doubleAnswered * 100, chains * 99) << where;
        }
    }
}
