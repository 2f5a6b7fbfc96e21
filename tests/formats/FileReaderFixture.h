// The fixture the file reader tests share: a temporary folder for the files
// under test and a globe whose new layer gets the reader as its source.
#pragma once

#include "LayerTestGlobe.h"
#include "geo/GeoDataObject.h"
#include "view/GlobeLayer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>

template <typename Reader> class FileReaderFixture : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return folder.path().toStdString() + "/" + name; }

    // A reader in a new layer of the globe, configured, then opened.
    Reader& Open(const std::string& name, const std::function<void(Reader&)>& configure = {})
    {
        auto* reader = new Reader(globe);
        layer = &globe.store->CreateLayer("TGlobeLayer");
        layer->SetObjectSource(reader);
        if (configure)
            configure(*reader);
        reader->SetFileName(name);
        reader->SetActive(true);
        return *reader;
    }

    std::string OpenFailure(const std::string& name)
    {
        try {
            Open(name);
        } catch (const EGlobeException& e) {
            return e.what();
        }
        return "no exception";
    }

    TGeoDataObject& Object(Reader& reader, int i)
    {
        return dynamic_cast<TGeoDataObject&>(reader.GetObject(i));
    }

    QTemporaryDir folder;
    LayerTestGlobe globe;
    TGlobeLayer* layer = nullptr;
};
