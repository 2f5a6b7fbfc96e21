// The deferred save of layers: a saved layer is written as a layer file into
// a backup in the program's data folder, and the layer's own file is replaced
// from that backup only at the very end of the close, so a run that ends
// without its close leaves the old file in place.
//
// Backups are named after the file they replace (its name up to the first
// "." and a short digest of its full path), so two layers whose names share
// that first part never share a backup. Layers read from a shapefile or a MIF
// file are saved as a layer file beside the source ("paises.shp" ->
// "paises.lyr"): the backup holds layer-file data, which the source's own
// reader could not read, so the source itself is never overwritten.
#pragma once

#include <QString>

class TGlobeLayer;

// The file a layer is saved to: its source file, or the layer file beside a
// shapefile or MIF source. Empty when the layer has no source file.
QString LayerSaveFile(const TGlobeLayer& layer);
QString BackupFileName(const QString& layerFile);

// Writes the layer into its backup (replacing an older backup) and adds its
// save file to Vars.SavedLayerFiles when it is not there yet. Raises
// EGlobeException when the layer has no file or the backup cannot be written.
QString SaveLayerToBackup(TGlobeLayer& layer);

// Moves the backup over the layer file and drops the file's old metadata.
// A missing backup or a failed write leaves the file as it was and answers
// the message for the user; success answers an empty text.
QString ReplaceLayerFromBackup(const QString& layerFile);
