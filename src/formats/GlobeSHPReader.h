// The shapefile reader: an object source over an ESRI shapefile (".shp") and
// the dBASE table (".dbf") beside it. Every shape record becomes a
// TGeoDataObject, read on demand from the mapped file; one column of the
// table can give the objects their titles. Coordinates are decimal degrees
// after the linear correction per axis. A metadata file (".md") keeps the
// object summaries, the correction and the index of record positions, so
// that the next opening reads no shape.
//
// A null shape becomes a hidden object without chains (never drawn nor hit),
// placed at the south-west corner of the file's extent so that it leaves the
// layer's extent as the shapes make it. The Z and M variants are read as
// their two-dimensional shapes.
#pragma once

#include "formats/IndexedFileReader.h"
#include "formats/SHPFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TGlobeDBFReader;
class TMemoryMapStream;

// Registers TGlobeSHPReader by name (idempotent).
void RegisterSHPReader();

struct TSHPIndexEntry {
    int32_t position; //     of the record in the .shp
    int32_t recordNumber; // of its dBASE record; 0 without a table
};

class TGlobeSHPReader : public TIndexedFileReader<TSHPIndexEntry> {
public:
    explicit TGlobeSHPReader(TLayeredGlobe& globe);
    ~TGlobeSHPReader() override;
    std::string ClassName() const override { return "TGlobeSHPReader"; }

    // LongXDivisor, LatYDivisor, LongXShift, LatYShift. A metadata file that
    // is read replaces them with the values the file was indexed with.
    TSHPCoordinateCorrection Correction;
    // The 0-based dBASE column giving the titles; -1 = none.
    int32_t TitleColumn() const { return m_titleColumn; }
    // A new value reloads the objects so that their titles are read again.
    void SetTitleColumn(int32_t column);
    // The dBASE table while open with one, else null.
    const TGlobeDBFReader* Table() const { return m_table.get(); }

    // False when FileName names no file.
    bool Open() override;
    bool Close() override;
    bool ReadHeader(TBoundedReader& stream) override;
    bool IndexNextObject(TBoundedReader& stream, int index) override;
    std::unique_ptr<TGlobeObject> LoadObject(int index, bool isNew) override;
    // Null shapes answer osHidden before they are loaded.
    TGlobeObjectStateSet GetObjectState(int index) override;

    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;

protected:
    void WriteReaderMetaData(TGlobeStreamWriter& writer) override;
    void ReadReaderMetaData(TBoundedReader& bytes) override;

private:
    void Release();
    bool IsNullShape(int index) const;
    void SetTitle(TGlobeObject& object, int32_t recordNumber);
    std::unique_ptr<TGlobeObject> NewObject(const TSHPShape& shape);

    int32_t m_titleColumn = -1;
    std::unique_ptr<TGlobeDBFReader> m_table;
    std::unique_ptr<TMemoryMapStream> m_mapped;
    std::unique_ptr<TSHPFile> m_file;
};
