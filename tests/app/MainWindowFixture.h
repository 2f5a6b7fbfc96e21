#pragma once

#include "AppFixture.h"

#include "geo/GeoDataObject.h"
#include "geo/GlobeProjection.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QWheelEvent>

// The main window on the screen, with helpers to drive its globe with the
// mouse and to keep and read pictures of what it shows.
class MainWindowFixture : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        form = &CreateWindows();
    }
    // The first activation without the start-up animation, and the window
    // on the screen with the globe of the given size.
    void Start(QSize globeSize = { 544, 431 })
    {
        Store()->setValue("AnimarGlobo", false);
        form->FormActivate();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
        for (int i = 0; i < 3 && Viewport()->size() != globeSize; ++i) {
            form->resize(form->size() + globeSize - Viewport()->size());
            QApplication::processEvents();
        }
        ASSERT_EQ(Viewport()->size(), globeSize);
    }
    TGlobe4& Globe() { return *form->Globo; }
    QWidget* Viewport() { return form->Globo->viewport(); }
    TGlobeProjection& Projection() { return form->Globo->Projection(); }
    QPoint Centre() { return Viewport()->rect().center(); }

    // A square object of the given half side around a point, on the named
    // layer (made when there is none), whose source has the layer's name.
    TGeoDataObject& AddSquare(const std::string& title, int32_t id, const TGeoPoint& centre, int32_t half,
        const std::string& layerName = "Ilhas")
    {
        TGlobeLayer* found = Globe().LayerStore()->LayerByName(layerName);
        TGlobeLayer& layer = found ? *found : Globe().LayerStore()->CreateLayer("TGlobeLayer");
        layer.SetName(layerName);
        layer.ObjectSource().Name = layerName;
        auto* object = new TGeoDataObject(&layer.ObjectSource());
        object->Title = title;
        object->ID = id;
        const int32_t x = centre.Long, y = centre.Lat;
        for (const auto& [dx, dy] :
            { std::pair { -half, -half }, { half, -half }, { half, half }, { -half, half } })
            object->Chains.Chain(0).Add(TGeoPoint { x + dx, y + dy, 0 });
        object->State.include(TGlobeObjectState::osClosed);
        object->Changed();
        Globe().Redraw();
        return *object;
    }
    TGeoPoint GeoAt(QPoint at) { return Projection().XYToGeo(at.x(), at.y()).point; }

    // A move to the point; by way of its neighbour, since a move to where the
    // mouse already is sends no event.
    void MoveTo(QPoint at)
    {
        QTest::mouseMove(Viewport(), at + QPoint(1, 0));
        QTest::mouseMove(Viewport(), at);
    }
    void Click(QPoint at, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(Viewport(), Qt::LeftButton, modifiers, at);
    }
    void Wheel(int angle)
    {
        const QPointF at = Centre();
        QWheelEvent event(at, Viewport()->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Viewport(), &event);
    }
    // The globe as it shows now.
    QImage GlobePicture(const QString& name = {})
    {
        const QImage image = Viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (!name.isEmpty())
            Save(image, name);
        return image;
    }
    static void Save(const QImage& image, const QString& name)
    {
        QDir().mkpath(QDir::tempPath() + "/brumex-app");
        image.save(QDir::tempPath() + "/brumex-app/" + name + ".png");
    }
    // Writes a picture of the widget where the tests keep theirs.
    static QImage Picture(QWidget& widget, const QString& name)
    {
        const QImage image = widget.grab().toImage();
        Save(image, name);
        return image;
    }
    // Pure red and its blends with a black or dark background (drawn text).
    static int CountReddish(const QImage& image, const QRect& area)
    {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() > 100 && c.green() < 60 && c.blue() < 60;
            }
        return count;
    }
    static int CountColour(const QImage& image, const QColor& colour, const QRect& area)
    {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += image.pixelColor(x, y) == colour;
        return count;
    }

    TFormBrumex* form = nullptr;
};
