#include "geo/GlobeClassRegistry.h"

#include "geo/GlobeUnits.h"

#include <algorithm>

namespace globe_registry_detail {
namespace {

std::vector<Entry>& Entries()
{
    static std::vector<Entry> entries;
    return entries;
}

Entry* Lookup(std::string_view name)
{
    for (Entry& e : Entries())
        if (SameText(e.name, name))
            return &e;
    return nullptr;
}

} // namespace

void Add(Entry entry)
{
    if (Entry* existing = Lookup(entry.name))
        *existing = std::move(entry);
    else
        Entries().push_back(std::move(entry));
}

const Entry& Find(std::string_view name)
{
    const Entry* e = Lookup(name);
    if (!e)
        throw EGlobeException("Class " + std::string(name) + " not found");
    return *e;
}

} // namespace globe_registry_detail

bool IsGlobeClassRegistered(std::string_view name)
{
    return globe_registry_detail::Lookup(name) != nullptr;
}

std::vector<std::string> RegisteredGlobeClassNames()
{
    std::vector<std::string> names;
    for (const auto& e : globe_registry_detail::Entries())
        names.push_back(e.name);
    return names;
}
