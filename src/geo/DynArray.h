// TDynArray: the library's counted array, as a small template over
// std::vector. Items are value-initialised (zero for numbers and pointers),
// every index is checked, and sharing goes through std::shared_ptr instead of a
// hand-kept reference count.
//
// Holders that may have "no array yet" keep a pointer (raw or smart) and use
// the free functions below, which raise "... Invalid Parameter" for a null
// array exactly where the library always did.
#pragma once

#include "platform/GlobeException.h"

#include <memory>
#include <utility>
#include <vector>

template <typename T> class TDynArray {
public:
    TDynArray() = default;
    explicit TDynArray(int count) { SetLength(count); }

    int Count() const { return static_cast<int>(m_items.size()); }

    // New items are zero; setting the current count does nothing.
    void SetLength(int count)
    {
        if (count < 0)
            throw EGlobeException("DynArraySetLength: Invalid Parameter");
        m_items.resize(static_cast<size_t>(count));
    }

    // Grows by one; items from index on move up. The new item is zero (never a
    // second copy of the moved item, so owners cannot hold one item twice).
    // An index at or past the end appends.
    void Insert(int index)
    {
        if (index < 0)
            index = 0;
        if (index >= Count())
            m_items.emplace_back();
        else
            m_items.emplace(m_items.begin() + index);
    }

    // Ignored for an index outside 0 .. Count-1.
    void Delete(int index)
    {
        if (index >= 0 && index < Count())
            m_items.erase(m_items.begin() + index);
    }

    // Takes the item out at from and inserts it at to; nothing happens when
    // from = to or either index is outside the array.
    void Move(int from, int to)
    {
        if (from == to || from < 0 || to < 0 || from >= Count() || to >= Count())
            return;
        T item = std::move(m_items[static_cast<size_t>(from)]);
        m_items.erase(m_items.begin() + from);
        m_items.insert(m_items.begin() + to, std::move(item));
    }

    // First index holding value, or -1.
    int IndexOf(const T& value) const
    {
        for (int i = 0; i < Count(); ++i)
            if (m_items[static_cast<size_t>(i)] == value)
                return i;
        return -1;
    }

    T& operator[](int index) { return m_items.at(static_cast<size_t>(index)); }
    const T& operator[](int index) const { return m_items.at(static_cast<size_t>(index)); }

    T* Data() { return m_items.data(); }
    const T* Data() const { return m_items.data(); }
    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<T> m_items;
};

// A zero-filled array of count items.
template <typename T> std::unique_ptr<TDynArray<T>> DynArrayCreate(int count)
{
    return std::make_unique<TDynArray<T>>(count);
}

template <typename Holder> void DynArraySetLength(const Holder& array, int count)
{
    if (!array)
        throw EGlobeException("DynArraySetLength: Invalid Parameter");
    array->SetLength(count);
}

template <typename Holder> void DynArrayMove(const Holder& array, int from, int to)
{
    if (!array)
        throw EGlobeException("DynArrayMove: Invalid Parameter");
    array->Move(from, to);
}

// A copy, or null for null.
template <typename T> std::unique_ptr<TDynArray<T>> DynArrayClone(const TDynArray<T>* array)
{
    return array ? std::make_unique<TDynArray<T>>(*array) : nullptr;
}
