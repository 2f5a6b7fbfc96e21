// The MapInfo interchange reader: an object source over a ".MIF" file of a
// longitude/latitude table, with the ".MID" file beside it giving each object
// its title (the whole attribute line). Objects are read on demand from the
// line where they start; the pen, brush and font written in the file become
// presenters of the source, shared by all objects drawn alike. A metadata
// file (".md") keeps the object summaries, the header and the index.
#pragma once

#include "formats/IndexedFileReader.h"
#include "formats/MIFParser.h"
#include "view/GlobeAttribute.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TMemoryMapStream;

// Registers TGlobeMIFReader by name (idempotent).
void RegisterMIFReader();

class TGlobeMIFReader : public TIndexedFileReader<TMIFIndexEntry> {
public:
    explicit TGlobeMIFReader(TLayeredGlobe& globe);
    ~TGlobeMIFReader() override;
    std::string ClassName() const override { return "TGlobeMIFReader"; }

    // As read from the header (or the metadata file).
    std::string MIFCoordSys;
    std::string MIDDelimiter = "\t";
    // "name=type" per MID column.
    std::vector<std::string> MIDColumnNames;
    // Kept and saved; the whole MID line is the title.
    int32_t TitleColumn = 0;
    int32_t MIFVersion() const { return m_version; }

    // False when FileName names no file.
    bool Open() override;
    bool Close() override;
    bool ReadHeader(TBoundedReader& stream) override;
    bool IndexNextObject(TBoundedReader& stream, int index) override;
    // Reads the style lines when the object is new, which makes or finds its
    // presenter.
    std::unique_ptr<TGlobeObject> LoadObject(int index, bool isNew) override;
    // Regions and polylines without points answer osHidden before they are
    // loaded: like a shapefile's null shapes they are never drawn nor hit.
    TGlobeObjectStateSet GetObjectState(int index) override;

    // Loading also opens the source.
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;

protected:
    void WriteReaderMetaData(TGlobeStreamWriter& writer) override;
    void ReadReaderMetaData(TBoundedReader& bytes) override;

private:
    void Release();
    bool IsEmptyObject(int index) const;
    void ResetWorkingStyle();
    void ApplyStyle(const TMIFStyle& style);
    void SetTextFont(const TMIFObject& text);
    int32_t PointPresenter(bool withTitleFont);
    template <typename Presenter> int32_t PolyPresenter();
    std::unique_ptr<TGlobeObject> NewObject(const TMIFObject& mif, bool readStyle);

    std::unique_ptr<TMemoryMapStream> m_mifMap;
    std::unique_ptr<TMemoryMapStream> m_midMap;
    std::unique_ptr<TMIFParser> m_parser;
    int32_t m_version = 0;
    // The style in force: each object's style lines change only what they name.
    TGlobePen m_pen;
    TGlobeBrush m_brush;
    TGlobeFont m_symbolFont;
    TGlobeFont m_textFont;
};
