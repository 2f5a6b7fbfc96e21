#include "geo/GXml.h"
#include "platform/GlobeException.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <fstream>
#include <string>

namespace {

std::string Attr(const std::string& name, const std::string& value)
{
    return name + "=\"" + value + "\"";
}

} // namespace

TEST(GXml, WritesTheTagSyntax)
{
    TGXML_Document doc;
    auto projection = std::make_unique<TGXML_Element>();
    projection->AddFloat("ScaleFactor", 0.5L);
    projection->AddInteger("XOrigin", 263);
    auto model = std::make_unique<TGXML_Element>();
    model->AddAttribute("Class", "TSphericalPrj");
    projection->AddElement("ProjectionModel", std::move(model));
    projection->AddElement("Empty", nullptr);
    doc.Root().AddElement("Projection", std::move(projection));
    doc.Root().AddText("free text");
    EXPECT_EQ(doc.AsText(),
        "<Projection " + Attr("ScaleFactor", "0.5") + " " + Attr("XOrigin", "263")
            + ">\r\n"
              " <ProjectionModel "
            + Attr("Class", "TSphericalPrj")
            + " />\r\n"
              " <Empty />\r\n"
              "</Projection>\r\n"
              "free text\r\n");
}

TEST(GXml, AttributesAreTrimmedAndReadIgnoringCase)
{
    TGXML_Element e;
    e.AddAttribute("  Name ", "  spaced value  ");
    e.AddBool("On", true);
    e.AddBool("Off", false);
    e.AddAttribute("Blank", "");
    EXPECT_EQ(e.StringAttr("name"), "spaced value");
    EXPECT_EQ(e.StringAttr("missing", "def"), "def");
    EXPECT_EQ(e.StringAttr("Blank", "def"), ""); // present but empty
    EXPECT_TRUE(e.BoolAttr("ON", false));
    EXPECT_FALSE(e.BoolAttr("off", true));
    EXPECT_TRUE(e.BoolAttr("Name", true)); // neither T nor F: the default
    EXPECT_EQ(e.IntegerAttr("missing", -7), -7);
    EXPECT_EQ(e.FloatAttr("missing", 2.5L), 2.5L);
    EXPECT_THROW(e.IntegerAttr("Name", 0), EGlobeException);
    EXPECT_THROW(e.FloatAttr("Name", 0), EGlobeException);
    // Beyond a double a value could not be written back.
    for (const char* text : { "nan", "inf", "-inf", "1e400", "-1e4000" }) {
        e.AddAttribute(text, text);
        EXPECT_THROW(e.FloatAttr(text, 0), EGlobeException) << text;
    }
}

// Integers outside the range of what they set keep the default; only a
// non-number raises.
TEST(GXml, IntegersOutsideTheirRangeKeepTheDefault)
{
    const struct {
        const char* text;
        int64_t int32Value, smallValue;
    } rows[] = {
        { "2147483647", 2147483647, -1 },
        { "-2147483648", -2147483648LL, -1 },
        { "2147483648", -1, -1 },
        { "-2147483649", -1, -1 },
        { "4294967297", -1, -1 },
        { "32767", 32767, 32767 },
        { "-32769", -32769, -1 },
        { "+12", 12, 12 },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        TGXML_Element e;
        e.AddAttribute("N", r.text);
        EXPECT_EQ(e.Int32Attr("N", -1), r.int32Value);
        EXPECT_EQ(e.IntegerAttr("N", -1, INT16_MIN, INT16_MAX), r.smallValue);
    }
    TGXML_Element e;
    e.AddAttribute("Kind", "3");
    EXPECT_EQ(EnumAttr(e, "Kind", 1, 3), 1);
    EXPECT_EQ(EnumAttr(e, "Kind", 1, 4), 3);
    e.AddAttribute("Bad", "x");
    EXPECT_THROW(e.Int32Attr("Bad", 0), EGlobeException);
}

// A message quotes at most 100 characters of a hostile value.
TEST(GXml, MessagesQuoteAnExcerptOfTheValue)
{
    const std::string huge(16 << 20, '7');
    TGXML_Document doc;
    doc.Parse("<A N=\"x" + huge + "\" F=\"" + huge + "e\" />");
    const TGXML_Element& e = *doc.Root().ChildElement("A");
    const struct {
        std::function<void()> read;
        std::string message;
    } rows[] = {
        { [&] { e.IntegerAttr("N", 0); }, "'x" + huge.substr(0, 99) + "...' is not a valid integer value" },
        { [&] { e.FloatAttr("F", 0); }, "'" + huge.substr(0, 100) + "...' is not a valid floating point value" },
    };
    for (const auto& r : rows) {
        try {
            r.read();
            ADD_FAILURE() << "no exception";
        } catch (const EGlobeException& error) {
            EXPECT_EQ(error.what(), r.message);
        }
    }
    EXPECT_EQ(Excerpt("short"), "short");
    EXPECT_EQ(Excerpt(std::string(100, 'a')), std::string(100, 'a'));
}

TEST(GXml, ChildElementIsCaseSensitiveAndCounts)
{
    TGXML_Element e;
    e.AddElement("Layer", nullptr)->AddAttribute("Name", "a");
    e.AddAttribute("Layer", "not an element");
    e.AddElement("Layer", nullptr)->AddAttribute("Name", "b");
    EXPECT_EQ(e.ChildElement("Layer", 1)->StringAttr("Name"), "b");
    EXPECT_EQ(e.ChildElement("Layer", 2), nullptr);
    EXPECT_EQ(e.ChildElement("layer"), nullptr);
}

TEST(GXml, FloatsUseAPointInEveryLocale)
{
    const std::string old = std::setlocale(LC_ALL, nullptr);
    // A comma locale when the machine has one; the text must not depend on it.
    if (!std::setlocale(LC_ALL, "pt_BR.UTF-8"))
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    TGXML_Element e;
    e.AddFloat("Half", 0.5L);
    e.AddFloat("Scale", 7.6750310411e-07L);
    e.AddFloat("Big", 1e20L);
    e.AddFloat("Third", 1.0L / 3);
    EXPECT_EQ(e.StringAttr("Half"), "0.5");
    EXPECT_EQ(e.StringAttr("Scale"), "7.6750310411E-7");
    EXPECT_EQ(e.StringAttr("Big"), "1E20");
    EXPECT_EQ(e.StringAttr("Third"), "0.333333333333333");
    EXPECT_EQ(e.FloatAttr("Half", 0), 0.5L);
    EXPECT_NEAR(static_cast<double>(e.FloatAttr("Scale", 0)), 7.6750310411e-07, 1e-20);
    std::setlocale(LC_ALL, old.c_str());
}

TEST(GXml, RoundTripThroughAFile)
{
    QTemporaryDir dir;
    const std::string file = QDir(dir.path()).filePath("GlEnv").toStdString();
    TGXML_Document doc;
    auto globe = std::make_unique<TGXML_Element>();
    globe->AddAttribute("DataDirectory", "C:\\Mapas\\");
    auto store = std::make_unique<TGXML_Element>();
    store->AddElement("GlobalPresenters", nullptr);
    auto layer = std::make_unique<TGXML_Element>();
    layer->AddAttribute("Name", "Cartas");
    layer->AddText("a note");
    store->AddElement("Layer", std::move(layer));
    globe->AddElement("LayerStore", std::move(store));
    doc.Root().AddElement("TGlobe", std::move(globe));
    doc.SaveToFile(file);

    TGXML_Document back;
    ASSERT_TRUE(back.LoadFromFile(file));
    EXPECT_EQ(back.AsText(), doc.AsText());
    const TGXML_Element* layerBack
        = back.Root().ChildElement("TGlobe")->ChildElement("LayerStore")->ChildElement("Layer");
    ASSERT_NE(layerBack, nullptr);
    EXPECT_EQ(layerBack->StringAttr("Name"), "Cartas");
    EXPECT_EQ(layerBack->Entries().back().name, "a note");
    // An empty element reads back as an empty element.
    EXPECT_TRUE(back.Root()
                    .ChildElement("TGlobe")
                    ->ChildElement("LayerStore")
                    ->ChildElement("GlobalPresenters")
                    ->Entries()
                    .empty());

    EXPECT_FALSE(back.LoadFromFile(file + ".missing"));
    EXPECT_TRUE(back.Root().Entries().empty());
}

TEST(GXml, AQuoteInAValueDoesNotSurvive)
{
    TGXML_Document doc;
    doc.Root().AddElement("E", nullptr)->AddAttribute("V", "say \"hi\"");
    TGXML_Document back;
    back.Parse(doc.AsText());
    EXPECT_NE(back.Root().ChildElement("E")->StringAttr("V"), "say \"hi\"");
}

TEST(GXml, ParsingRules)
{
    TGXML_Document doc;
    // A slash without a space before it becomes part of the name, and the
    // element stays open until the next end tag.
    doc.Parse("<Pen/><Brush Color=\"1\" /></x><After />");
    EXPECT_EQ(doc.Root().ChildElement("Pen"), nullptr);
    const TGXML_Element* pen = doc.Root().ChildElement("Pen/");
    ASSERT_NE(pen, nullptr);
    EXPECT_NE(pen->ChildElement("Brush"), nullptr);
    EXPECT_NE(doc.Root().ChildElement("After"), nullptr);
    // Lines are joined without their breaks before parsing.
    doc.Parse("<A\r\n B=\"1\">\r\n  text  \r\n</A>");
    EXPECT_EQ(doc.Root().ChildElement("A")->StringAttr("B"), "1");
    EXPECT_EQ(doc.Root().ChildElement("A")->Entries().back().name, "text");
}

TEST(GXml, MalformedInputEndsSafely)
{
    const char* inputs[] = {
        "<",
        "text<",
        "<A",
        "<A B=\"unterminated",
        "<A B=unquoted C=\"ok\"",
        "</A></B></C>",
        "<A><B><C>",
        ">>>><<<<",
        "<A =\"\"/>",
        "<A B=\"1\" / ><",
        "",
    };
    for (const char* text : inputs) {
        SCOPED_TRACE(text);
        TGXML_Document doc;
        doc.Parse(text);
        doc.AsText(); // the result is writable
    }
    TGXML_Document doc;
    doc.Parse("<A B=unquoted C=\"ok\">");
    EXPECT_EQ(doc.Root().ChildElement("A")->StringAttr("C"), "");
    EXPECT_EQ(doc.Root().ChildElement("A")->StringAttr("B=unquoted C"), "ok");
}

// Nesting to the cap is read; one level more refuses the document at once,
// also from a file of five million nested elements.
TEST(GXml, NestingBeyondTheCapIsRefused)
{
    std::string text;
    for (int i = 0; i < GXML_MAX_DEPTH; ++i)
        text += "<a>";
    TGXML_Document doc;
    doc.Parse(text);
    int depth = 0;
    for (const TGXML_Element* e = &doc.Root(); (e = e->ChildElement("a")) != nullptr;)
        ++depth;
    EXPECT_EQ(depth, GXML_MAX_DEPTH);
    EXPECT_FALSE(doc.AsText().empty());
    try {
        doc.Parse(text + "<a><b/>");
        ADD_FAILURE() << "no exception";
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "The document nests elements deeper than 1000 levels");
    }
    EXPECT_TRUE(doc.Root().Entries().empty());

    QTemporaryDir dir;
    const std::string file = dir.filePath("deep.env").toStdString();
    {
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < 5000000; ++i)
            out << "<TGlobe>\r\n";
    }
    EXPECT_THROW(doc.LoadFromFile(file), EGlobeException);
    EXPECT_TRUE(doc.Root().Entries().empty());
}
