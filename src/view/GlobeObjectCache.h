// TGlobeObjectCache: the globe's budget of loaded objects. Object sources
// read objects on demand and count each loaded object here; when the total
// passes the capacity the least recently used objects are turned back into
// light data records until the total is below 75 % of the capacity. While a
// frame is drawn nothing is released, and the objects the last frame used
// stay loaded on top of the budget until a frame no longer uses them: a view
// that needs more than the budget would otherwise read most of its objects
// again in every frame (least recently used is the worst choice for frames
// that sweep the whole layer). So memory stays within the budget plus one
// frame's objects, and a still view reads nothing. It also keeps the list of
// the globe's object sources and frees those that no layer holds when the
// globe goes.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class TGlobeObject;
class TGlobeObjectSource;

class TGlobeObjectCache {
public:
    TGlobeObjectCache() = default;
    // Frees the sources still in the list, without events.
    ~TGlobeObjectCache();
    TGlobeObjectCache(const TGlobeObjectCache&) = delete;
    TGlobeObjectCache& operator=(const TGlobeObjectCache&) = delete;

    // Kilobytes; 0 or less means no limit.
    int32_t CacheCapacity = 10240;
    // Fired when the total passes the capacity, before the cache is trimmed.
    std::function<void()> OnReduceCacheMemory;

    // Bytes of the loaded objects counted so far.
    int64_t Total() const { return m_total; }
    // The next use stamp; sources stamp every object they hand out.
    int64_t NextStamp() { return ++m_stamp; }

    // Adds bytes (negative to take off); over the capacity (plus what the
    // last frame used), fires OnReduceCacheMemory and trims to 75 % of it,
    // never releasing keep (the object being handed out). Answers the total.
    int64_t AddCacheMemory(int64_t bytes, const TGlobeObject* keep = nullptr);
    // Recounts, then releases the oldest discardable objects but keep until
    // the total, less what the last frame used, is below target. Selected
    // objects and those the last frame used stay loaded. Answers the total.
    int64_t ReduceCache(int64_t target, const TGlobeObject* keep = nullptr);
    // Whether the last frame drawn (of the picture or of the animated
    // layers) used the object: it stays loaded.
    bool UsedByLastFrame(const TGlobeObject& object) const;
    // Recounts the bytes of all cached objects, then AddCacheMemory(0).
    void RecalcCacheMemory();

    // Marks the drawing of a frame (nested marks count once): objects are
    // counted but not released until the outermost frame ends; then the
    // objects it did not use are trimmed. The animated layers are drawn
    // over the picture far more often than the picture itself, so their
    // frames keep their own objects without letting go of the picture's.
    class TFrame {
    public:
        explicit TFrame(TGlobeObjectCache& cache, bool animated = false);
        ~TFrame();
        TFrame(const TFrame&) = delete;
        TFrame& operator=(const TFrame&) = delete;

    private:
        TGlobeObjectCache& m_cache;
        int64_t m_first = 0;
        bool m_animated;
    };

    void AddSource(TGlobeObjectSource& source);
    void RemoveSource(TGlobeObjectSource& source);
    const std::vector<TGlobeObjectSource*>& Sources() const { return m_sources; }

    // From now on sources and layers going away tell the globe nothing.
    void BeginDestruction() { m_destroying = true; }
    bool Destroying() const { return m_destroying; }

private:
    void Recount();
    int64_t Budget() const { return int64_t { CacheCapacity } * 1024; }

    int64_t m_total = 0;
    // 64 bits: hours of redraws of a big layer hand out more than 2^31
    // stamps, and the age order must never wrap.
    int64_t m_stamp = 0;
    int m_frameDepth = 0;
    // Stamps handed out by the last frame of the picture [0] and of the
    // animated layers [1]: (first, last].
    struct TStamps {
        int64_t first = 0, last = 0;
    };
    TStamps m_lastFrame[2];
    // Bytes of the loaded objects the last frame used, as of the last trim.
    int64_t m_lastFrameBytes = 0;
    // An object was read since the last trim. A frame that read nothing
    // skips its trim: the objects it could release were weighed then, and
    // weighing a big layer's chains again costs a tenth of its frame.
    bool m_readSinceTrim = true;
    std::vector<TGlobeObjectSource*> m_sources;
    bool m_destroying = false;
};
