// TGlobeFileWriter: the base of the writers that save one layer as a file.
#pragma once

#include "geo/GlobeRoot.h"

#include <string>

class TGlobeLayer;

class TGlobeFileWriter : public TGlobeRoot {
public:
    // The layer must outlive the writer.
    explicit TGlobeFileWriter(TGlobeLayer& layer)
        : m_layer(layer)
    {
    }
    TGlobeLayer& Layer() const { return m_layer; }
    // Writes the layer; errors of creating and writing the file raise.
    virtual bool WriteToFile(const std::string& fileName) = 0;

private:
    TGlobeLayer& m_layer;
};
