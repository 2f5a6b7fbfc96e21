#include "geo/GlobeClassRegistry.h"

#include "geo/GlobeUnits.h"

#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>

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

std::string FamilyName(const std::type_info& base)
{
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(base.name(), nullptr, nullptr, &status), &std::free);
    std::string name = status == 0 && demangled ? demangled.get() : base.name();
    const size_t scope = name.rfind("::");
    return scope == std::string::npos ? name : name.substr(scope + 2);
}

const Entry& Find(std::string_view name)
{
    const Entry* e = Lookup(name);
    if (!e)
        throw EGlobeException("Class " + Excerpt(name) + " not found");
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
