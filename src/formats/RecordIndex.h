// The file readers keep one index entry per object (where its record lies).
// When objects are removed or moved, the index must follow the entries so
// that a record is always read for its own object.
#pragma once

#include <cstddef>
#include <vector>

template <typename Entry> void EraseIndexEntry(std::vector<Entry>& index, int at)
{
    if (at >= 0 && static_cast<std::size_t>(at) < index.size())
        index.erase(index.begin() + at);
}

template <typename Entry> void MoveIndexEntry(std::vector<Entry>& index, int from, int to)
{
    const auto size = static_cast<int>(index.size());
    if (from < 0 || to < 0 || from >= size || to >= size)
        return;
    const Entry entry = index[static_cast<std::size_t>(from)];
    index.erase(index.begin() + from);
    index.insert(index.begin() + to, entry);
}
