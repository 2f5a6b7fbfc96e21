#include "ToolGlobe.h"

#include "geo/GlobeProjection.h"
#include "geo/TextureData.h"
#include "view/GlobeCanvas.h"
#include "view/GlobeLayerStore.h"

#include "platform/Cp1252.h"

#include <QFileInfo>

TToolGlobe::TToolGlobe(int32_t width, int32_t height, const std::string& model)
    : m_texture(std::make_unique<TTextureData>())
{
    m_canvas = std::make_unique<TGlobeCanvas>(this);
    m_projection = std::make_unique<TGlobeProjection>(*this);
    m_projection->SetProjectionClass(model);
    m_canvas->SetImageSize(width, height, 96);
    m_projection->SetScaleFactor(0);
    m_store = std::make_unique<TGlobeLayerStore>(*this);
}

TToolGlobe::~TToolGlobe()
{
    ObjectCache().BeginDestruction();
    m_store.reset();
    m_canvas->EndImageDraw(nullptr);
}

TGlobePresenterStore* TToolGlobe::GlobalPresenters() const
{
    return m_store ? &m_store->GlobalPresenters() : nullptr;
}

std::string TToolGlobe::FindDataFile(const std::string& name)
{
    if (QFileInfo(fromCp1252(name)).isFile())
        return name;
    const std::string inDirectory = Directory + "/" + name;
    return !Directory.empty() && QFileInfo(fromCp1252(inDirectory)).isFile() ? inDirectory : std::string();
}
