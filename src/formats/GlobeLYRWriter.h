// The layer file writer: the presenters the layer's objects use, grouped by
// class, then the objects grouped by class, written through a temporary file
// that replaces the old one only when complete.
#pragma once

#include "view/GlobeFileWriter.h"

#include <string>

class TGlobeLYRWriter : public TGlobeFileWriter {
public:
    using TGlobeFileWriter::TGlobeFileWriter;
    std::string ClassName() const override { return "TGlobeLYRWriter"; }
    // Errors of creating or writing the file raise EGlobeException naming it.
    bool WriteToFile(const std::string& fileName) override;
};

// Writes the layer; unless its source already is a layer-file reader, the
// layer then shows a new TGlobeLYRReader of the file, opened.
bool SaveLayerAsLYR(TGlobeLayer& layer, const std::string& fileName);
