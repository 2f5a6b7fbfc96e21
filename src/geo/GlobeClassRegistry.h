// Creation of library classes by name, for every file and environment reader
// ("Class" attributes, class lists of layer files).
//
// A class registers under the base class of its family and the constructor
// arguments that family's readers pass:
//
//   RegisterGlobeClass<TCustomProjectionModel, TSphericalPrj, TGlobeProjection&>("TSphericalPrj");
//   ...
//   auto model = CreateGlobeClass<TCustomProjectionModel, TGlobeProjection&>("TSphericalPrj", projection);
//
// Names are matched without regard to letter case. An unknown name raises
// EGlobeException "Class <name> not found". A name registered for another
// family (other base or other arguments) is not created: FindGlobeClass
// answers null and CreateGlobeClass raises "Class <name> is not a <family>".
// Registering a name again replaces the earlier entry.
//
// Static libraries drop unreferenced registrar objects, so a family registers
// its classes from a function its users call (for example
// RegisterProjectionModels()); such functions are idempotent.
#pragma once

#include "platform/GlobeException.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

namespace globe_registry_detail {

struct Entry {
    std::string name;
    std::type_index family;
    std::shared_ptr<const void> factory; // a std::function of the family's type
};

void Add(Entry entry);
// The family as its base class is named in files ("TGlobePresenter"), not as
// the compiler names the type.
std::string FamilyName(const std::type_info& base);
// The entry for name, or throws "Class <name> not found".
const Entry& Find(std::string_view name);

} // namespace globe_registry_detail

template <typename Base, typename... Args>
using TGlobeClassFactory = std::function<std::unique_ptr<Base>(Args...)>;

template <typename Base, typename... Args>
void RegisterGlobeClassFactory(const std::string& name, TGlobeClassFactory<Base, Args...> factory)
{
    using Factory = TGlobeClassFactory<Base, Args...>;
    globe_registry_detail::Add(
        { name, std::type_index(typeid(Factory)), std::make_shared<const Factory>(std::move(factory)) });
}

// Registers Derived, built with Derived(args...), in the family of Base.
template <typename Base, typename Derived, typename... Args> void RegisterGlobeClass(const std::string& name)
{
    TGlobeClassFactory<Base, Args...> factory = [](Args... args) -> std::unique_ptr<Base> {
        return std::make_unique<Derived>(std::forward<Args>(args)...);
    };
    RegisterGlobeClassFactory<Base, Args...>(name, std::move(factory));
}

// The factory of name in the family, or null when name belongs to another
// family. An unknown name raises "Class <name> not found".
template <typename Base, typename... Args>
const TGlobeClassFactory<Base, Args...>* FindGlobeClass(std::string_view name)
{
    using Factory = TGlobeClassFactory<Base, Args...>;
    const auto& entry = globe_registry_detail::Find(name);
    if (entry.family != std::type_index(typeid(Factory)))
        return nullptr;
    return static_cast<const Factory*>(entry.factory.get());
}

template <typename Base, typename... Args>
std::unique_ptr<Base> CreateGlobeClass(std::string_view name, Args... args)
{
    const auto* factory = FindGlobeClass<Base, Args...>(name);
    if (!factory)
        throw EGlobeException(
            "Class " + Excerpt(name) + " is not a " + globe_registry_detail::FamilyName(typeid(Base)));
    return (*factory)(std::forward<Args>(args)...);
}

bool IsGlobeClassRegistered(std::string_view name);
// Registered names in registration order.
std::vector<std::string> RegisteredGlobeClassNames();
