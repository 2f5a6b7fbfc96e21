// What the shapefile and MIF readers share: one index entry per object
// (where its record lies), kept in step when objects are removed or moved,
// and a metadata file that starts with a magic word and the source's own
// data, followed by what the reader adds.
#pragma once

#include "formats/GlobeLYRReader.h"
#include "formats/MetaDataFile.h"
#include "formats/RecordIndex.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/GlobeStream.h"
#include "platform/BoundedReader.h"
#include "view/GlobeObjectSource.h"
#include "view/LayeredGlobe.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Registers a file reader by name with the layer file classes it needs.
template <typename Reader> void RegisterFileReader(const std::string& name)
{
    RegisterLayerFileClasses();
    RegisterGlobeClass<TGlobeObjectSource, Reader, TLayeredGlobe&>(name);
}

template <typename Entry> class TIndexedFileReader : public TGlobeFileReader {
public:
    using TGlobeFileReader::TGlobeFileReader;

    // Records read since creation (the metadata file spares them).
    int64_t RecordsRead() const { return m_recordsRead; }

    void RemoveObject(TGlobeObject& object) override
    {
        const int index = object.ObjectIndex;
        const bool listed = index >= 0 && index < Count() && &GetObjectData(index) == &object;
        TGlobeFileReader::RemoveObject(object);
        if (listed)
            EraseIndexEntry(m_index, index);
    }

    void MoveObject(int from, int to) override
    {
        if (from < Count() && to < Count())
            MoveIndexEntry(m_index, from, to);
        TGlobeFileReader::MoveObject(from, to);
    }

    // Writes the metadata file unless a current one exists.
    void SaveMetaData() override
    {
        const std::string metaName = MetaDataFileName(FileName());
        if (metaName.empty() || MetaDataFileIsCurrent(metaName, FileName()))
            return;
        TGlobeStreamWriter writer;
        writer.WriteWord(METADATA_MAGIC);
        WriteSourceData(writer);
        WriteReaderMetaData(writer);
        WriteMetaDataFile(metaName, writer.Bytes());
    }

    // A missing, stale or damaged metadata file leaves no objects and no
    // index, so that the file is scanned.
    void LoadMetaData() override
    {
        m_metaDataLoaded = ReadMetaDataFile(
            MetaDataFileName(FileName()), FileName(), [this](TBoundedReader& bytes) { ReadMetaData(bytes); });
        if (!m_metaDataLoaded) {
            ClearObjects();
            m_index.clear();
        }
    }

protected:
    // Takes the objects and the index from a current metadata file, else
    // scans the data file's bytes for them and keeps them in a new one.
    void LoadOrMapFile(std::span<const uint8_t> bytes, const std::string& name)
    {
        LoadMetaData();
        if (m_metaDataLoaded)
            return;
        TBoundedReader stream(bytes, name);
        MapFile(stream);
        if (LayeredGlobe().SaveMetaDataLocation() != TSaveMetaDataLocation::smdDiscard)
            SaveMetaData();
    }

    // What the reader adds after the source's data, index included.
    virtual void WriteReaderMetaData(TGlobeStreamWriter& writer) = 0;
    // Reads what WriteReaderMetaData wrote; fails `bytes` on anything wrong
    // and changes nothing then.
    virtual void ReadReaderMetaData(TBoundedReader& bytes) = 0;

    std::vector<Entry> m_index;
    bool m_metaDataLoaded = false;
    int64_t m_recordsRead = 0;

private:
    static constexpr uint16_t METADATA_MAGIC = 259;

    void ReadMetaData(TBoundedReader& bytes)
    {
        if (bytes.ReadUInt16LE("the magic") != METADATA_MAGIC)
            bytes.Fail("not a metadata file");
        TGlobeStreamReader reader(bytes);
        ReadSourceData(reader);
        ReadReaderMetaData(bytes);
    }
};
