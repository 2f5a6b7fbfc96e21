#include "formats/GlobeLYRWriter.h"

#include "formats/GlobeLYRReader.h"
#include "geo/GlobeStream.h"
#include "platform/SaveFile.h"
#include "view/GlobeLayer.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenterStore.h"
#include "view/LayeredGlobe.h"

#include <vector>

namespace {

// Items of one class, in order of first appearance of the class.
struct TClassGroup {
    std::string className;
    std::vector<int> members;
};

void AddToGroup(std::vector<TClassGroup>& groups, const std::string& className, int member)
{
    for (TClassGroup& group : groups)
        if (group.className == className) {
            group.members.push_back(member);
            return;
        }
    groups.push_back({ className, { member } });
}

// Clones of the presenters the layer's objects use, looked up as for drawing.
void CollectPresenters(TGlobeLayer& layer, TGlobePresenterStore& used)
{
    TGlobeObjectSource& source = layer.ObjectSource();
    for (int i = 0; i < source.Count(); ++i) {
        const int32_t id = source.GetObjectPresenterID(i);
        if (used.ByID(id, false))
            continue;
        if (const TGlobePresenter* presenter = layer.FindPresenter(id))
            used.Add(presenter->Clone(layer.Globe()));
    }
}

void WritePresenters(TGlobeStreamWriter& writer, const TGlobePresenterStore& used)
{
    std::vector<TClassGroup> groups;
    for (int k = 0; k < used.Count(); ++k)
        AddToGroup(groups, used.Presenters(k).ClassName(), k);
    for (const TClassGroup& group : groups) {
        writer.WriteInteger(static_cast<int32_t>(group.members.size()));
        writer.WriteShortString(group.className);
        for (const int k : group.members)
            used.Presenters(k).WriteToStream(writer);
    }
}

void WriteObjects(TGlobeStreamWriter& writer, TGlobeObjectSource& source)
{
    std::vector<TClassGroup> groups;
    for (int i = 0; i < source.Count(); ++i)
        AddToGroup(groups, source.GetObject(i).ClassName(), i);
    for (const TClassGroup& group : groups) {
        writer.WriteInteger(static_cast<int32_t>(group.members.size()));
        writer.WriteShortString(group.className);
        for (const int i : group.members)
            source.GetObject(i).SaveToStream(writer);
    }
}

} // namespace

bool TGlobeLYRWriter::WriteToFile(const std::string& fileName)
{
    TGlobeLayer& layer = Layer();
    SetGlobeFileVersion(GLOBE_FILE_VERSION);
    TGlobeStreamWriter writer;
    writer.WriteWord(GLOBE_FILE_VERSION);
    writer.WriteMER(layer.GetLayerMER());
    TGlobePresenterStore used(&layer.Globe());
    CollectPresenters(layer, used);
    WritePresenters(writer, used);
    WriteObjects(writer, layer.ObjectSource());
    writer.WriteInteger(0);
    SaveFileAtomically(fileName, writer.Bytes());
    return true;
}

bool SaveLayerAsLYR(TGlobeLayer& layer, const std::string& fileName)
{
    TGlobeLYRWriter writer(layer);
    if (!writer.WriteToFile(fileName))
        return false;
    if (dynamic_cast<TGlobeLYRReader*>(layer.AttachedSource()))
        return true;
    auto* reader = new TGlobeLYRReader(layer.Globe());
    reader->SetFileName(fileName);
    layer.SetObjectSource(reader);
    reader->SetActive(true);
    return true;
}
