// The globe side of the main window's start: the designed globe properties,
// the start-up animation over the world layer, the five special layers with
// the pencil marker "Lapis", and the presenters of the moving marker, the
// track and the route line.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class TGeoDataObject;
class TGlobe4;
class TGlobeLayer;
class TGlobeObject;

// The layers the program keeps for itself, in creation order; they are
// never written to the environment file.
inline const std::array<std::string, 5> SPECIAL_LAYERS { "Cartas", "Trilha", "Temp", "LayLapis", "LayWaypt" };

// The name equals one of the special layers (exact letter case).
bool IsSpecialLayer(const TGlobeLayer& layer);

// The name of the layer that holds an object: its source's Name, which the
// program keeps equal to the layer's Name (empty without a source).
std::string LayerNameOf(const TGlobeObject& object);

// Makes the layer file, shapefile and MIF readers known by name.
void RegisterFileReaders();

// The properties the main window gives its globe.
void ConfigureGlobe(TGlobe4& globe);

// The spin and approach over the world; between the steps pending window
// events run. A step cap keeps it finite whatever the projection answers.
void StartupAnimation(TGlobe4& globe);

// The five special layers, visible and unmodified.
void CreateSpecialLayers(TGlobe4& globe);

// What the first activation puts on the special layers.
struct TGlobeMarkers {
    TGeoDataObject* Lapis = nullptr;
    int32_t PrMovelID = 0;
    int32_t PrTrilhaID = 0;
    int32_t PrRotaID = 0;
};
// The pencil presenter and the "Lapis" object (layer "LayLapis", made
// invisible), titles on "LayWaypt", and the presenters "PrMovel", "PrTrilha"
// (layer "Trilha") and "PrRota" (layer "LayWaypt").
TGlobeMarkers CreateMarkers(TGlobe4& globe);
