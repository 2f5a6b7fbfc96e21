#include "view/GlobeObjectCache.h"

#include "geo/GlobeObject.h"
#include "view/GlobeObjectSource.h"

#include <algorithm>

TGlobeObjectCache::~TGlobeObjectCache()
{
    m_destroying = true;
    // Each source takes itself off the list as it goes.
    while (!m_sources.empty())
        delete m_sources.back();
}

int64_t TGlobeObjectCache::AddCacheMemory(int64_t bytes, const TGlobeObject* keep)
{
    m_total += bytes;
    if (bytes > 0)
        m_readSinceTrim = true;
    const int64_t budget = Budget();
    // Taking bytes off never trims: releasing objects does that.
    if (bytes >= 0 && CacheCapacity > 0 && m_total > budget + m_lastFrameBytes && m_frameDepth == 0) {
        if (OnReduceCacheMemory)
            OnReduceCacheMemory();
        m_total = ReduceCache(budget - (budget * 25 + 50) / 100, keep);
    }
    return m_total;
}

int64_t TGlobeObjectCache::ReduceCache(int64_t target, const TGlobeObject* keep)
{
    Recount();
    std::vector<TGlobeObject*> objects;
    for (TGlobeObjectSource* source : m_sources)
        source->CollectDiscardable(objects);
    std::stable_sort(objects.begin(), objects.end(),
        [](const TGlobeObject* a, const TGlobeObject* b) { return a->AccessStamp < b->AccessStamp; });
    m_lastFrameBytes = 0;
    for (const TGlobeObject* object : objects)
        if (UsedByLastFrame(*object))
            m_lastFrameBytes += object->MemorySize();
    for (TGlobeObject* object : objects) {
        if (m_total < target + m_lastFrameBytes)
            break;
        // The selection refers to the object itself; it stays loaded.
        if (object->Selected() || object == keep || UsedByLastFrame(*object))
            continue;
        auto* source = dynamic_cast<TGlobeObjectSource*>(object->ObjectSource());
        if (!source)
            continue;
        // Releasing takes the object's bytes off the total.
        source->ReleaseObject(object->ObjectIndex);
    }
    m_readSinceTrim = false;
    return m_total;
}

bool TGlobeObjectCache::UsedByLastFrame(const TGlobeObject& object) const
{
    return std::ranges::any_of(m_lastFrame, [&](const TStamps& frame) {
        return object.AccessStamp > frame.first && object.AccessStamp <= frame.last;
    });
}

void TGlobeObjectCache::RecalcCacheMemory()
{
    Recount();
    AddCacheMemory(0);
}

TGlobeObjectCache::TFrame::TFrame(TGlobeObjectCache& cache, bool animated)
    : m_cache(cache)
    , m_animated(animated)
{
    if (m_cache.m_frameDepth++ == 0)
        m_first = m_cache.m_stamp;
}

TGlobeObjectCache::TFrame::~TFrame()
{
    if (--m_cache.m_frameDepth != 0)
        return;
    m_cache.m_lastFrame[m_animated ? 1 : 0] = { m_first, m_cache.m_stamp };
    if (!m_cache.m_readSinceTrim)
        return;
    // Counted again by the trim, which now spares this frame's objects.
    m_cache.m_lastFrameBytes = 0;
    try {
        m_cache.AddCacheMemory(0);
    } catch (...) {
        // Only the trim failed (an OnReduceCacheMemory handler); the next
        // load tries again.
    }
}

void TGlobeObjectCache::Recount()
{
    m_total = 0;
    for (const TGlobeObjectSource* source : m_sources)
        m_total += source->CacheMemorySize();
}

void TGlobeObjectCache::AddSource(TGlobeObjectSource& source)
{
    if (std::find(m_sources.begin(), m_sources.end(), &source) == m_sources.end())
        m_sources.push_back(&source);
}

void TGlobeObjectCache::RemoveSource(TGlobeObjectSource& source)
{
    std::erase(m_sources, &source);
}
