#include "geo/GlobeRoot.h"

#include "geo/GXml.h"
#include "platform/GlobeException.h"

void TGlobeRoot::AssignTo(TGlobeRoot& dest) const
{
    throw EGlobeException("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
}

void TGlobeRoot::Assign(const TGlobeRoot& source)
{
    source.AssignTo(*this);
}

void TGlobeENVPersistent::LoadEnvironmentFile(const std::string& fileName)
{
    TGXML_Document document;
    if (document.LoadFromFile(fileName))
        LoadEnvironment(document.Root().ChildElement(ClassName()));
}

void TGlobeENVPersistent::SaveEnvironmentFile(const std::string& fileName) const
{
    TGXML_Document document;
    document.Root().AddElement(ClassName(), SaveEnvironment());
    document.SaveToFile(fileName);
}
