// A globe for layer and object-source tests, benchmarks and fuzz targets: the
// drawing test globe with a layer store, the object cache and recorded
// notifications, events and progress messages.
#pragma once

#include "TestGlobe.h"
#include "view/GlobeLayerStore.h"
#include "view/LayeredGlobe.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class LayerTestGlobe : public TestGlobeOf<TLayeredGlobe> {
public:
    explicit LayerTestGlobe(
        int32_t width = 360, int32_t height = 180, const std::string& model = "TCartesianPrj")
        : TestGlobeOf<TLayeredGlobe>(width, height, model)
    {
        store = std::make_unique<TGlobeLayerStore>(*this);
    }
    ~LayerTestGlobe() override
    {
        ObjectCache().BeginDestruction();
        store.reset();
    }

    TGlobeLayerStore* LayerStore() const override { return store.get(); }
    TGlobePresenterStore* GlobalPresenters() const override
    {
        return store ? &store->GlobalPresenters() : nullptr;
    }
    void Notify(TGlobeNotification kind, TGlobeRoot* item) override
    {
        notifications.emplace_back(kind, item);
        Redraw();
    }
    void Redraw() override { ++redraws; }
    void Invalidate() override { ++invalidations; }
    bool Interrupted() const override { return interrupted; }
    int32_t PeriodicUpdateTime() const override { return periodicUpdateTime; }
    void ShowPictureSoFar() override { ++picturesShown; }
    bool FireObjectRender(TGlobeObject& object, TGlobeObjectStateSet state) override
    {
        return onObjectRender ? (onObjectRender(object, state), true) : false;
    }
    void FireObjectCreate(TGlobeObject&) override { ++objectsCreated; }
    bool Progress(TProgressMessage kind, const std::string& text) override
    {
        progress.emplace_back(kind, text);
        return false;
    }
    TSaveMetaDataLocation SaveMetaDataLocation() const override { return metaDataLocation; }

    int Count(TGlobeNotification kind) const
    {
        int n = 0;
        for (const auto& [k, item] : notifications)
            n += k == kind ? 1 : 0;
        return n;
    }

    std::unique_ptr<TGlobeLayerStore> store;
    std::vector<std::pair<TGlobeNotification, TGlobeRoot*>> notifications;
    std::vector<std::pair<TProgressMessage, std::string>> progress;
    std::function<void(TGlobeObject&, TGlobeObjectStateSet)> onObjectRender;
    int redraws = 0, invalidations = 0, picturesShown = 0, objectsCreated = 0;
    bool interrupted = false;
    int32_t periodicUpdateTime = 0;
    TSaveMetaDataLocation metaDataLocation = TSaveMetaDataLocation::smdWithDataFile;
};
