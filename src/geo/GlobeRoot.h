// Base classes of the globe library: TGlobeRoot for every persistent,
// non-visual class, and TGlobeENVPersistent for everything the environment
// document saves.
#pragma once

#include <memory>
#include <string>

class TGXML_Element;

class TGlobeRoot {
public:
    virtual ~TGlobeRoot() = default;

    // The registered class name ("TSphericalPrj", "TGlobeLayer", ...).
    virtual std::string ClassName() const = 0;
    // Copies this object into dest; the default refuses (see Assign).
    virtual void AssignTo(TGlobeRoot& dest) const;
    // Copies source into this object. The default asks source.AssignTo, which
    // raises EGlobeException "Cannot assign a <source> to a <this>" unless a
    // class knows how.
    virtual void Assign(const TGlobeRoot& source);
    // A readable type name; the class name unless a class says otherwise.
    virtual std::string Description() const { return ClassName(); }

protected:
    TGlobeRoot() = default;
    TGlobeRoot(const TGlobeRoot&) = default;
    TGlobeRoot& operator=(const TGlobeRoot&) = default;
};

class TGlobeENVPersistent : public TGlobeRoot {
public:
    // Reads the object's values from its element; a null element changes nothing.
    virtual void LoadEnvironment(const TGXML_Element* element) = 0;
    // A new element holding the object's values.
    virtual std::unique_ptr<TGXML_Element> SaveEnvironment() const = 0;
    // Loads the top-level element named after the class from an environment
    // file; a missing file or element changes nothing.
    virtual void LoadEnvironmentFile(const std::string& fileName);
    // Saves the object as the one top-level element of a new document.
    virtual void SaveEnvironmentFile(const std::string& fileName) const;
};
