#include "geo/GlobeClassRegistry.h"
#include "geo/GXml.h"
#include "geo/GlobeRoot.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TShape : TGlobeENVPersistent {
    explicit TShape(int size)
        : Size(size)
    {
    }
    std::string ClassName() const override { return "TShape"; }
    void LoadEnvironment(const TGXML_Element* element) override
    {
        if (element)
            Size = static_cast<int>(element->IntegerAttr("Size", Size));
    }
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override
    {
        auto e = std::make_unique<TGXML_Element>();
        e->AddInteger("Size", Size);
        return e;
    }
    int Size;
};

struct TSquare : TShape {
    using TShape::TShape;
    std::string ClassName() const override { return "TSquare"; }
    std::string Description() const override { return "Square shape"; }
};

struct TOther {
    virtual ~TOther() = default;
};

} // namespace

TEST(GlobeClassRegistry, CreatesRegisteredClassesByNameIgnoringCase)
{
    RegisterGlobeClass<TShape, TSquare, int>("TSquare");
    EXPECT_TRUE(IsGlobeClassRegistered("tsquare"));
    auto shape = CreateGlobeClass<TShape, int>("TSQUARE", 7);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->ClassName(), "TSquare");
    EXPECT_EQ(shape->Size, 7);
    EXPECT_EQ(shape->Description(), "Square shape");
}

TEST(GlobeClassRegistry, UnknownNamesAndOtherFamiliesAreRefused)
{
    RegisterGlobeClass<TShape, TSquare, int>("TSquare");
    try {
        CreateGlobeClass<TShape, int>("TCircle", 1);
        FAIL();
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "Class TCircle not found");
    }
    EXPECT_EQ((FindGlobeClass<TOther>("TSquare")), nullptr);
    EXPECT_EQ((FindGlobeClass<TShape>("TSquare")), nullptr); // other arguments: another family
    try {
        CreateGlobeClass<TOther>("TSquare");
        FAIL();
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "Class TSquare is not a TOther");
    }
    // A hostile name is quoted in part only.
    const std::string huge(1 << 20, 'T');
    try {
        CreateGlobeClass<TShape, int>(huge, 1);
        FAIL();
    } catch (const EGlobeException& e) {
        EXPECT_EQ(e.what(), "Class " + huge.substr(0, 100) + "... not found");
    }
}

TEST(GlobeRoot, AssignRefusesUnrelatedClasses)
{
    TShape a(1);
    TSquare b(2);
    try {
        a.Assign(b);
        FAIL();
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TSquare to a TShape");
    }
}

TEST(GlobeRoot, EnvironmentFileHoldsTheObjectUnderItsClassName)
{
    QTemporaryDir dir;
    const std::string file = QDir(dir.path()).filePath("shape.xml").toStdString();
    TSquare saved(42);
    saved.SaveEnvironmentFile(file);
    TGXML_Document doc;
    ASSERT_TRUE(doc.LoadFromFile(file));
    ASSERT_NE(doc.Root().ChildElement("TSquare"), nullptr);
    TSquare loaded(0);
    loaded.LoadEnvironmentFile(file);
    EXPECT_EQ(loaded.Size, 42);
    TShape other(5); // no element of its class: unchanged
    other.LoadEnvironmentFile(file);
    EXPECT_EQ(other.Size, 5);
    other.LoadEnvironmentFile(file + ".missing");
    EXPECT_EQ(other.Size, 5);
}
