// The layer file (.LYR) reader: an object source over the file's bytes that
// indexes the objects once and reads each object on demand from its recorded
// offset. A metadata file (".md") keeps the object summaries and the index so
// that the next opening reads no object record.
//
//   version (Word), extent (MER, ignored), presenter groups, object groups
//   (count, class name, records), end marker 0
//
// Every read is bounds-checked: a truncated or corrupt file raises
// EGlobeException naming the file and the source does not open. A damaged
// or stale metadata file is only a cache: it is dropped and the file scanned.
#pragma once

#include "view/GlobeObjectSource.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TMemoryMapStream;

// Registers TGlobeLYRStreamReader and TGlobeLYRReader by name, with the
// layer, source and object classes they need (idempotent). The program calls
// it once at start, before environment documents are loaded.
void RegisterLayerFileClasses();

class TGlobeLYRStreamReader : public TGlobeFileReader {
public:
    explicit TGlobeLYRStreamReader(TLayeredGlobe& globe);
    ~TGlobeLYRStreamReader() override;
    std::string ClassName() const override { return "TGlobeLYRStreamReader"; }

    // Reads these bytes (not owned; they must outlive the source while it is
    // open); an empty block detaches. sourceName starts error messages.
    void SetStream(std::span<const uint8_t> bytes, const std::string& sourceName);

    bool Open() override;
    bool Close() override;
    bool ReadHeader(TBoundedReader& stream) override;
    bool IndexNextObject(TBoundedReader& stream, int index) override;
    std::unique_ptr<TGlobeObject> LoadObject(int index, bool isNew) override;
    void SaveMetaData() override;
    void LoadMetaData() override;
    void RemoveObject(TGlobeObject& object) override;
    void MoveObject(int from, int to) override;

    // Object records read since creation (the metadata file spares them).
    int64_t RecordsRead() const { return m_recordsRead; }

private:
    struct TIndexEntry {
        int32_t classNumber;
        int32_t position;
    };

    void Release();
    int ObjectClassNumber(TBoundedReader& stream, const std::string& name);
    void ReadPresenterGroup(TBoundedReader& stream, int32_t count, const std::string& className);
    void ReadMetaData(TBoundedReader& bytes);

    std::span<const uint8_t> m_bytes;
    bool m_hasStream = false;
    std::string m_sourceName;
    std::unique_ptr<TBoundedReader> m_stream;
    std::unique_ptr<TGlobeStreamReader> m_reader;
    std::vector<TIndexEntry> m_index;
    std::vector<std::string> m_classNames;
    int32_t m_groupLeft = 0;
    int32_t m_groupClass = 0;
    bool m_ended = false;
    bool m_metaDataLoaded = false;
    int64_t m_recordsRead = 0;
};

// The layer file reader proper: maps FileName read-only while open.
class TGlobeLYRReader : public TGlobeLYRStreamReader {
public:
    explicit TGlobeLYRReader(TLayeredGlobe& globe);
    ~TGlobeLYRReader() override;
    std::string ClassName() const override { return "TGlobeLYRReader"; }

    // False when FileName names no file; the source's Name becomes the file part.
    bool Open() override;
    bool Close() override;

private:
    std::unique_ptr<TMemoryMapStream> m_mapped;
};
