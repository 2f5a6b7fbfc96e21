// The presenter windows driven as a user drives them: the list of the current
// layer's presenters and the new ones it adds, the point and poly editors
// filled from the presenter, OK writing every field or (with an impossible
// value) nothing at all, and Cancel writing nothing.
#include "AppFixture.h"
#include "ToolDialogs.h"

#include "app/FormEdPointPres.h"
#include "app/FormEdPoliPres.h"
#include "app/FormPresenters.h"
#include "app/LayerTools.h"
#include "app/StringGrid.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "geo/GXml.h"
#include "platform/Cp1252.h"
#include "view/Colors.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenter.h"
#include "view/GlobePresenterStore.h"
#include "view/GlobeUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <optional>

namespace {

QStringList Items(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

const QStringList UNITS { "Degree", "Minute", "NauticalMile", "Kilometer", "Mile", "Second", "Third", "Hundreth",
    "Thousanth", "Meter", "CentiMeter", "Fathom", "Yard", "Foot", "Inch", "GlobeUnit", "Pixel" };

std::string Flattened(const TGXML_Element& element)
{
    std::string text;
    for (const TGXML_Element::Entry& entry : element.Entries())
        text += entry.name + "=" + entry.value + (entry.element ? "{" + Flattened(*entry.element) + "}" : "") + ";";
    return text;
}

// Everything the presenter keeps, to see that nothing changed.
std::string Snapshot(const TGlobePresenter& presenter)
{
    return Flattened(*presenter.SaveEnvironment());
}

class PresenterEditorsTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        form = &CreateWindows();
        form->FormActivate();
        pointEditor = Windows().FormEdPointPres;
        polyEditor = Windows().FormEdPoliPres;
        for (TPresenterEditor* editor : { static_cast<TPresenterEditor*>(pointEditor), static_cast<TPresenterEditor*>(polyEditor) }) {
            editor->RunColorDialog = [this](const QColor& initial) {
                coloursAsked << initial;
                return std::exchange(nextColour, std::nullopt);
            };
            editor->RunFontDialog = [this](const QString& name) {
                fontsAsked << name;
                return std::exchange(nextFont, std::nullopt);
            };
        }
    }
    void TearDown() override
    {
        // The windows of this run (a restart makes new ones).
        for (QDialog* editor :
            { static_cast<QDialog*>(Windows().FormEdPointPres), static_cast<QDialog*>(Windows().FormEdPoliPres) })
            editor->hide();
        AppFixture::TearDown();
    }
    TGlobe4& Globe() { return *form->Globo; }

    // The editor shown for the presenter as the list shows it, but without
    // a modal run, so the test drives it directly.
    void Show(TPresenterEditor& editor, TGlobePresenter& presenter)
    {
        editor.hide();
        Vars.EditedPresenter = &presenter;
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }
    static void Type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->clear();
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, text);
    }
    static void Choose(QComboBox* combo, const QString& item)
    {
        const int index = combo->findText(item);
        ASSERT_GE(index, 0) << item.toStdString();
        combo->setCurrentIndex(index);
    }
    // A double click on the colour field, answered with the colour.
    void PickColour(TColorField* field, const QColor& colour)
    {
        nextColour = colour;
        QTest::mouseDClick(field, Qt::LeftButton);
    }
    void PickFont(QComboBox* field, const QString& name)
    {
        nextFont = name;
        QTest::mouseDClick(field->lineEdit(), Qt::LeftButton);
    }
    static QStringList Labels(QWidget& window)
    {
        QStringList labels;
        for (const QLabel* label : window.findChildren<QLabel*>())
            labels << label->text();
        for (const QGroupBox* group : window.findChildren<QGroupBox*>())
            if (!group->title().isEmpty())
                labels << group->title();
        return labels;
    }
    static void Save(QWidget& window, const QString& name)
    {
        window.grab().save(QDir::tempPath() + "/" + name + ".png");
    }

    // A point presenter with no field at its default.
    std::unique_ptr<TPointPresenter> FullPointPresenter()
    {
        auto p = std::make_unique<TPointPresenter>(&Globe(), 3);
        p->Name = "Farol";
        p->PointType = TPointPresenterType::ppSquare;
        p->SetPointUnit(TGlobeUnitTypes::Meter);
        p->SetPointSize(250);
        p->SetMaxPointSize(40);
        p->PointPen.SetPenAttributes(0x0000FF, TPenStyle::psDot, 3, TGlobeUnitTypes::Pixel);
        p->PointBrush.SetBrushAttributes(0x00FF00, static_cast<TGlobeBrushStyle>(19));
        p->PointBrush.SetBrushBkColor(0xFF0000);
        p->PointFont.SetFontName("Serif");
        p->SymbolIndex = 81;
        p->TitleAlignment = TTitleAlignment::taBottomRight;
        p->TitleFont.SetFontAttributes("Sans", 0x00FFFF, 0, 0, TGlobeUnitTypes::Kilometer, 12);
        p->TitleOffset = -7;
        return p;
    }
    std::unique_ptr<TPolygonPresenter> FullPolygonPresenter()
    {
        auto p = std::make_unique<TPolygonPresenter>(&Globe(), 2);
        p->Name = "Mata";
        p->PolyPen.SetPenAttributes(0x008000, TPenStyle::psDashDot, 2, TGlobeUnitTypes::Meter);
        p->PolyBrush.SetBrushAttributes(0x00C000, TGlobeBrushStyle::bsCross);
        p->PolyBrush.SetBrushBkColor(0x404040);
        p->TitleAlignment = TTitleAlignment::taTop;
        p->TitleFont.SetFontName("Sans");
        p->TitleOffset = 4;
        return p;
    }

    TFormBrumex* form = nullptr;
    TFormEdPointPres* pointEditor = nullptr;
    TFormEdPoliPres* polyEditor = nullptr;
    std::optional<QColor> nextColour;
    std::optional<QString> nextFont;
    QList<QColor> coloursAsked;
    QStringList fontsAsked;
};

TEST_F(PresenterEditorsTest, PointEditorListsTheValuesInOrdinalOrderAndShowsThePresenter)
{
    EXPECT_EQ(pointEditor->windowTitle(), "Point Presenter");
    EXPECT_EQ(Items(pointEditor->CBPointPresenterType),
        QStringList({ "ppNone", "ppFontSymbol", "ppImage", "ppDot", "ppCircle", "ppSquare", "ppDiamond",
            "ppTriangleUp", "ppTriangleDown", "ppTriangleLeft", "ppTriangleRight" }));
    for (const QComboBox* units : { pointEditor->CBPointUnits, pointEditor->CBPenUnits, pointEditor->CBFontUnits })
        EXPECT_EQ(Items(units), UNITS) << units->objectName().toStdString();
    EXPECT_EQ(Items(pointEditor->CBPenStyle),
        QStringList({ "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear" }));
    QStringList brushStyles { "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
        "bsCross", "bsDiagCross" };
    for (int i = 1; i <= 12; ++i)
        brushStyles << QStringLiteral("bsPattern%1").arg(i);
    EXPECT_EQ(Items(pointEditor->CBBrushStyle), brushStyles);
    EXPECT_EQ(Items(pointEditor->CBTitleAlignment),
        QStringList({ "taNone", "taCenter", "taLeft", "taRight", "taTopLeft", "taTop", "taTopRight",
            "taBottomLeft", "taBottom", "taBottomRight" }));
    const QStringList labels = Labels(*pointEditor);
    for (const char* label : { "Nome", "Tipo", "Tamanho", "Unidade", "Tam(max)", "Linha", "Cor", "Espessura",
             "Preenchimento", "Fundo", "Estilo", "Visual", "Imagem", "Font", "Letra (SymbolIndex)", "Legenda",
             "Alinhamento", "Fonte", "Tam", "Units", "Offset" })
        EXPECT_TRUE(labels.contains(label)) << label;
    EXPECT_EQ(pointEditor->BtOK->text(), "OK");
    EXPECT_EQ(pointEditor->BtCancelar->text(), "Cancelar");

    auto p = FullPointPresenter();
    Show(*pointEditor, *p);
    EXPECT_EQ(pointEditor->EdName->text(), "Farol");
    EXPECT_EQ(pointEditor->CBPointPresenterType->currentText(), "ppSquare");
    EXPECT_EQ(pointEditor->EdPointSize->text(), "250");
    EXPECT_EQ(pointEditor->CBPointUnits->currentText(), "Meter");
    EXPECT_EQ(pointEditor->EdMaxPointSize->text().trimmed(), "40");
    EXPECT_EQ(pointEditor->EdPenColor->Color(), 0x0000FF);
    EXPECT_EQ(pointEditor->EdPenColor->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(pointEditor->CBPenStyle->currentText(), "psDot");
    EXPECT_EQ(pointEditor->EdPenWidth->text(), "3");
    EXPECT_EQ(pointEditor->CBPenUnits->currentText(), "Pixel");
    EXPECT_EQ(pointEditor->CBBrushColor->Color(), 0x00FF00);
    EXPECT_EQ(pointEditor->CBBrushBKColor->Color(), 0xFF0000);
    EXPECT_EQ(pointEditor->CBBrushStyle->currentText(), "bsPattern12");
    EXPECT_EQ(pointEditor->EdImagem->text(), "");
    EXPECT_EQ(pointEditor->CBPointFont->currentText(), "Serif");
    EXPECT_EQ(pointEditor->EdSymbolIndex->text().trimmed(), "81");
    EXPECT_EQ(pointEditor->CBTitleAlignment->currentText(), "taBottomRight");
    EXPECT_EQ(pointEditor->CBTitleFont->currentText(), "Sans");
    EXPECT_EQ(pointEditor->EdTamFonte->text(), "12");
    EXPECT_EQ(pointEditor->CBFontUnits->currentText(), "Kilometer");
    EXPECT_EQ(pointEditor->CBFontColor->Color(), 0x00FFFF);
    EXPECT_EQ(pointEditor->EdTitleOffset->text(), "-7");
    // The symbol fields are open, the picture name is not.
    EXPECT_FALSE(pointEditor->EdImagem->isEnabled());
    EXPECT_TRUE(pointEditor->CBPointFont->isEnabled());
    Save(*pointEditor, "brumex-point-presenter-editor");
}

TEST_F(PresenterEditorsTest, PointEditorOkWritesEveryField)
{
    auto p = FullPointPresenter();
    Show(*pointEditor, *p);
    Choose(pointEditor->CBPointPresenterType, "ppFontSymbol");
    Choose(pointEditor->CBPointUnits, "Pixel");
    Type(pointEditor->EdPointSize, "30");
    Type(pointEditor->EdSymbolIndex, "72");
    Type(pointEditor->EdMaxPointSize, "50");
    PickColour(pointEditor->EdPenColor, QColor(0, 0, 255));
    Choose(pointEditor->CBPenStyle, "psDashDotDot");
    QTest::mouseClick(pointEditor->UpDown1->NextButton(), Qt::LeftButton);
    Choose(pointEditor->CBPenUnits, "Meter");
    PickColour(pointEditor->CBBrushBKColor, QColor(1, 2, 3));
    PickColour(pointEditor->CBBrushColor, QColor(200, 100, 50));
    Choose(pointEditor->CBBrushStyle, "bsDiagCross");
    PickFont(pointEditor->CBPointFont, "DejaVu Sans");
    Type(pointEditor->EdName, "Boia");
    Choose(pointEditor->CBTitleAlignment, "taLeft");
    PickFont(pointEditor->CBTitleFont, "DejaVu Serif");
    Type(pointEditor->EdTitleOffset, "12");
    Type(pointEditor->EdTamFonte, "9");
    Choose(pointEditor->CBFontUnits, "Pixel");
    PickColour(pointEditor->CBFontColor, QColor(0, 128, 0));
    EXPECT_EQ(fontsAsked, QStringList({ "Serif", "Sans" }));
    EXPECT_EQ(coloursAsked.value(0), QColor(255, 0, 0));

    QTest::mouseClick(pointEditor->BtOK, Qt::LeftButton);
    EXPECT_FALSE(pointEditor->isVisible());
    EXPECT_EQ(pointEditor->result(), QDialog::Accepted);
    EXPECT_EQ(p->PointType, TPointPresenterType::ppFontSymbol);
    EXPECT_EQ(p->PointUnit(), TGlobeUnitTypes::Pixel);
    EXPECT_EQ(p->PointSize(), 30);
    // The type is written first: a font symbol's letter follows the size and unit.
    EXPECT_EQ(p->PointFont.FontSize(), 30);
    EXPECT_EQ(p->PointFont.FontUnit(), TGlobeUnitTypes::Pixel);
    EXPECT_EQ(p->SymbolIndex, 72);
    EXPECT_EQ(p->MaxPointSize(), 50);
    EXPECT_EQ(p->PointPen.PenColor(), 0xFF0000);
    EXPECT_EQ(p->PointPen.PenStyle(), TPenStyle::psDashDotDot);
    EXPECT_EQ(p->PointPen.PenWidth(), 4);
    EXPECT_EQ(p->PointPen.PenUnit(), TGlobeUnitTypes::Meter);
    EXPECT_EQ(p->PointBrush.BrushBkColor(), 0x030201);
    EXPECT_EQ(p->PointBrush.BrushColor(), 0x3264C8);
    EXPECT_EQ(p->PointBrush.BrushStyle(), TGlobeBrushStyle::bsDiagCross);
    EXPECT_EQ(p->PointFont.FontName(), "DejaVu Sans");
    EXPECT_EQ(p->Name, "Boia");
    EXPECT_EQ(p->TitleAlignment, TTitleAlignment::taLeft);
    EXPECT_EQ(p->TitleFont.FontName(), "DejaVu Serif");
    EXPECT_EQ(p->TitleOffset, 12);
    EXPECT_EQ(p->TitleFont.FontSize(), 9);
    EXPECT_EQ(p->TitleFont.FontUnit(), TGlobeUnitTypes::Pixel);
    EXPECT_EQ(p->TitleFont.FontColor(), 0x008000);
    EXPECT_EQ(p->PresenterID, 3);
}

TEST_F(PresenterEditorsTest, UntouchedFieldsWriteBackWhatTheyShowed)
{
    // A system colour and a pattern past the offered ones survive an OK.
    auto p = FullPointPresenter();
    p->PointPen.SetPenColor(static_cast<TColor>(0x80000005));
    p->PointBrush.SetBrushStyle(TGlobeBrushStyle::bsPattern50);
    p->PointPen.SetPenStyle(TPenStyle::psInsideFrame);
    const std::string before = Snapshot(*p);
    Show(*pointEditor, *p);
    EXPECT_EQ(pointEditor->CBBrushStyle->currentIndex(), -1);
    QTest::mouseClick(pointEditor->BtOK, Qt::LeftButton);
    EXPECT_EQ(pointEditor->result(), QDialog::Accepted);
    EXPECT_EQ(Snapshot(*p), before);

    auto poly = FullPolygonPresenter();
    const std::string polyBefore = Snapshot(*poly);
    Show(*polyEditor, *poly);
    QTest::mouseClick(polyEditor->BtOK, Qt::LeftButton);
    EXPECT_EQ(polyEditor->result(), QDialog::Accepted);
    EXPECT_EQ(Snapshot(*poly), polyBefore);
}

TEST_F(PresenterEditorsTest, ImpossibleValueNamesTheFieldAndChangesNothing)
{
    struct Case {
        bool point;
        QLineEdit* TPresenterEditor::*sharedEdit;
        QLineEdit* TFormEdPointPres::*pointEdit;
        QString typed;
        QString message;
    };
    const QList<Case> cases {
        { true, nullptr, &TFormEdPointPres::EdPointSize, "abc",
            "\"Tamanho\": \"abc\" não é um número inteiro de 0 a 2147483647." },
        { true, nullptr, &TFormEdPointPres::EdPointSize, "-5",
            "\"Tamanho\": \"-5\" não é um número inteiro de 0 a 2147483647." },
        { true, nullptr, &TFormEdPointPres::EdMaxPointSize, "",
            "\"Tam(max)\": \"\" não é um número inteiro de 0 a 999." },
        { true, &TPresenterEditor::EdPenWidth, nullptr, "1,5",
            "\"Linha: Espessura\": \"1,5\" não é um número inteiro de 0 a 2147483647." },
        { true, nullptr, &TFormEdPointPres::EdTamFonte, "40000",
            "\"Legenda: Tam\": \"40000\" não é um número inteiro de 0 a 32767." },
        { true, &TPresenterEditor::EdTitleOffset, nullptr, "",
            "\"Legenda: Offset\": \"\" não é um número inteiro de -2147483648 a 2147483647." },
        { false, &TPresenterEditor::EdPenWidth, nullptr, "x",
            "\"Linha: Espessura\": \"x\" não é um número inteiro de 0 a 2147483647." },
        { false, &TPresenterEditor::EdTitleOffset, nullptr, "99999999999",
            "\"Legenda: Offset\": \"99999999999\" não é um número inteiro de -2147483648 a 2147483647." },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        std::unique_ptr<TGlobePresenter> presenter;
        TPresenterEditor* editor = c.point ? static_cast<TPresenterEditor*>(pointEditor) : polyEditor;
        if (c.point)
            presenter = FullPointPresenter();
        else
            presenter = FullPolygonPresenter();
        const std::string before = Snapshot(*presenter);
        Show(*editor, *presenter);
        // Fields written before and after the wrong one change too.
        Type(editor->EdName, "Outro");
        PickColour(editor->EdPenColor, QColor(9, 9, 9));
        if (c.point)
            Choose(pointEditor->CBPointPresenterType, "ppDot");
        Type(c.sharedEdit ? editor->*c.sharedEdit : pointEditor->*c.pointEdit, c.typed);
        Answer(QMessageBox::Ok);
        QTest::mouseClick(editor->BtOK, Qt::LeftButton);
        EXPECT_EQ(Asked().value(Asked().size() - 1), "Erro!|" + c.message);
        EXPECT_EQ(Snapshot(*presenter), before);
        EXPECT_TRUE(editor->isVisible());
        editor->hide();
    }
}

TEST_F(PresenterEditorsTest, PictureNameMustNameAReadablePicture)
{
    const QString folder = DataHome();
    QDir().mkpath(folder);
    const QString good = folder + "/boia.png", bad = folder + "/falsa.png";
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(good));
    QFile garbage(bad);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("no picture here");
    garbage.close();

    auto p = FullPointPresenter();
    Show(*pointEditor, *p);
    Choose(pointEditor->CBPointPresenterType, "ppImage");
    Type(pointEditor->EdImagem, good);
    QTest::mouseClick(pointEditor->BtOK, Qt::LeftButton);
    EXPECT_EQ(p->ImageName(), toCp1252(good));
    EXPECT_EQ(p->Image().size(), QSize(8, 8));
    EXPECT_EQ(p->PointType, TPointPresenterType::ppImage);

    const std::string before = Snapshot(*p);
    struct Case {
        QString typed;
        QString messageStart;
    };
    for (const Case& c : { Case { bad, "Cannot read the picture " + bad },
             Case { folder + "/nenhuma.png", "\"Imagem\": \"" + folder + "/nenhuma.png\" não foi encontrada." } }) {
        SCOPED_TRACE(c.typed.toStdString());
        Show(*pointEditor, *p);
        EXPECT_EQ(pointEditor->EdImagem->text(), good);
        Type(pointEditor->EdName, "Outro");
        Type(pointEditor->EdImagem, c.typed);
        Answer(QMessageBox::Ok);
        QTest::mouseClick(pointEditor->BtOK, Qt::LeftButton);
        EXPECT_TRUE(Asked().value(Asked().size() - 1).startsWith("Erro!|" + c.messageStart))
            << Asked().value(Asked().size() - 1).toStdString();
        EXPECT_EQ(Snapshot(*p), before);
        EXPECT_EQ(p->Image().size(), QSize(8, 8));
    }

    // Clearing the name drops the picture.
    Show(*pointEditor, *p);
    Type(pointEditor->EdImagem, "");
    QTest::mouseClick(pointEditor->BtOK, Qt::LeftButton);
    EXPECT_EQ(pointEditor->result(), QDialog::Accepted);
    EXPECT_EQ(p->ImageName(), "");
    EXPECT_TRUE(p->Image().isNull());
}

TEST_F(PresenterEditorsTest, OnlyAPictureTypeOpensTheNameAndTheOthersTheSymbolFields)
{
    auto p = FullPointPresenter();
    Show(*pointEditor, *p);
    for (int type = 0; type < pointEditor->CBPointPresenterType->count(); ++type) {
        pointEditor->CBPointPresenterType->setCurrentIndex(type);
        const bool image = pointEditor->CBPointPresenterType->currentText() == "ppImage";
        EXPECT_EQ(pointEditor->EdImagem->isEnabled(), image) << type;
        EXPECT_EQ(pointEditor->CBPointFont->isEnabled(), !image) << type;
        EXPECT_EQ(pointEditor->EdSymbolIndex->isEnabled(), !image) << type;
    }
    // And back from a picture to a symbol.
    Choose(pointEditor->CBPointPresenterType, "ppImage");
    Choose(pointEditor->CBPointPresenterType, "ppCircle");
    EXPECT_TRUE(pointEditor->CBPointFont->isEnabled());
    EXPECT_TRUE(pointEditor->EdSymbolIndex->isEnabled());
    EXPECT_FALSE(pointEditor->EdImagem->isEnabled());
    // A presenter that draws a picture opens with its name field open.
    p->PointType = TPointPresenterType::ppImage;
    Show(*pointEditor, *p);
    EXPECT_TRUE(pointEditor->EdImagem->isEnabled());
    EXPECT_FALSE(pointEditor->CBPointFont->isEnabled());
}

TEST_F(PresenterEditorsTest, CancelAfterChangesLeavesThePresenterUnchanged)
{
    auto point = FullPointPresenter();
    auto polygon = FullPolygonPresenter();
    for (const auto& [editor, presenter] : { std::pair<TPresenterEditor*, TGlobePresenter*> { pointEditor, point.get() },
             { polyEditor, polygon.get() } }) {
        SCOPED_TRACE(editor->objectName().toStdString());
        const std::string before = Snapshot(*presenter);
        Show(*editor, *presenter);
        PickColour(editor->EdPenColor, QColor(1, 1, 1));
        PickColour(editor->CBBrushColor, QColor(2, 2, 2));
        PickColour(editor->CBBrushBKColor, QColor(3, 3, 3));
        Type(editor->EdName, "Outro");
        Type(editor->EdPenWidth, "9");
        EXPECT_EQ(editor->CBBrushColor->Color(), 0x020202);
        // A cancelled colour choice keeps the field's colour.
        QTest::mouseDClick(editor->CBBrushColor, Qt::LeftButton);
        EXPECT_EQ(editor->CBBrushColor->Color(), 0x020202);
        QTest::mouseClick(editor->BtCancelar, Qt::LeftButton);
        EXPECT_FALSE(editor->isVisible());
        EXPECT_EQ(editor->result(), QDialog::Rejected);
        EXPECT_EQ(Snapshot(*presenter), before);
    }
}

TEST_F(PresenterEditorsTest, PolyEditorShowsAndWritesItsFields)
{
    EXPECT_EQ(polyEditor->windowTitle(), "Poli Presenter");
    const QStringList labels = Labels(*polyEditor);
    for (const char* label : { "Nome", "Linha", "Cor", "Tipo", "Espessura", "Unidade", "Preenchimento", "Fundo",
             "Estilo", "Legenda", "Alinhamento", "Fonte", "Offset" })
        EXPECT_TRUE(labels.contains(label)) << label;
    EXPECT_EQ(polyEditor->CBPreenchido->text(), "Preenchido");
    EXPECT_FALSE(polyEditor->CBPreenchido->isEnabled());

    auto p = FullPolygonPresenter();
    Show(*polyEditor, *p);
    EXPECT_EQ(polyEditor->EdName->text(), "Mata");
    EXPECT_EQ(polyEditor->EdPenColor->Color(), 0x008000);
    EXPECT_EQ(polyEditor->CBPenStyle->currentText(), "psDashDot");
    EXPECT_EQ(polyEditor->EdPenWidth->text(), "2");
    EXPECT_EQ(polyEditor->CBPenUnits->currentText(), "Meter");
    EXPECT_EQ(polyEditor->CBBrushColor->Color(), 0x00C000);
    EXPECT_EQ(polyEditor->CBBrushBKColor->Color(), 0x404040);
    EXPECT_EQ(polyEditor->CBBrushStyle->currentText(), "bsCross");
    EXPECT_EQ(polyEditor->CBTitleAlignment->currentText(), "taTop");
    EXPECT_EQ(polyEditor->CBTitleFont->currentText(), "Sans");
    EXPECT_EQ(polyEditor->EdTitleOffset->text(), "4");
    EXPECT_TRUE(polyEditor->CBPreenchido->isChecked());
    Save(*polyEditor, "brumex-poly-presenter-editor");

    Type(polyEditor->EdName, "Floresta");
    PickColour(polyEditor->EdPenColor, QColor(10, 20, 30));
    Choose(polyEditor->CBPenStyle, "psClear");
    Type(polyEditor->EdPenWidth, "0");
    Choose(polyEditor->CBPenUnits, "Pixel");
    PickColour(polyEditor->CBBrushBKColor, QColor(40, 50, 60));
    PickColour(polyEditor->CBBrushColor, QColor(70, 80, 90));
    Choose(polyEditor->CBBrushStyle, "bsPattern3");
    Choose(polyEditor->CBTitleAlignment, "taCenter");
    PickFont(polyEditor->CBTitleFont, "DejaVu Sans");
    QTest::mouseClick(polyEditor->UpDown2->PrevButton(), Qt::LeftButton);
    QTest::mouseClick(polyEditor->BtOK, Qt::LeftButton);
    EXPECT_FALSE(polyEditor->isVisible());
    EXPECT_EQ(p->Name, "Floresta");
    EXPECT_EQ(p->PolyPen.PenColor(), 0x1E140A);
    EXPECT_EQ(p->PolyPen.PenStyle(), TPenStyle::psClear);
    EXPECT_EQ(p->PolyPen.PenWidth(), 0);
    EXPECT_EQ(p->PolyPen.PenUnit(), TGlobeUnitTypes::Pixel);
    EXPECT_EQ(p->PolyBrush.BrushBkColor(), 0x3C3228);
    EXPECT_EQ(p->PolyBrush.BrushColor(), 0x5A5046);
    EXPECT_EQ(p->PolyBrush.BrushStyle(), static_cast<TGlobeBrushStyle>(10));
    EXPECT_EQ(p->TitleAlignment, TTitleAlignment::taCenter);
    EXPECT_EQ(p->TitleFont.FontName(), "DejaVu Sans");
    EXPECT_EQ(p->TitleOffset, 3);
}

TEST_F(PresenterEditorsTest, EditorForTheWrongKindOfPresenterClosesAtOnce)
{
    auto point = FullPointPresenter();
    auto polygon = FullPolygonPresenter();
    struct Case {
        TPresenterEditor* editor;
        TGlobePresenter* presenter;
    };
    for (const Case& c : { Case { pointEditor, polygon.get() }, Case { polyEditor, point.get() },
             Case { pointEditor, nullptr }, Case { polyEditor, nullptr } }) {
        SCOPED_TRACE(c.editor->objectName().toStdString());
        const std::string before = c.presenter ? Snapshot(*c.presenter) : "";
        Vars.EditedPresenter = c.presenter;
        // Only a guard: an editor that stays open would hang the modal run.
        QTimer::singleShot(5000, c.editor, &QDialog::accept);
        EXPECT_EQ(c.editor->exec(), QDialog::Rejected);
        EXPECT_FALSE(c.editor->isVisible());
        if (c.presenter) {
            EXPECT_EQ(Snapshot(*c.presenter), before);
        }
    }
}

class PresenterListTest : public PresenterEditorsTest {
protected:
    void SetUp() override
    {
        PresenterEditorsTest::SetUp();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    }
    TGlobeLayer& OpenLayer(const QString& file)
    {
        form->LayerTools().RunFileDialog = [file](QFileDialog&) { return file; };
        form->AbrirLayer->trigger();
        TGlobeLayer* layer = Globe().LayerStore()->LayerByName(toCp1252(QFileInfo(file).fileName()));
        EXPECT_NE(layer, nullptr);
        QTest::mouseClick(form->GridLayers->viewport(), Qt::LeftButton, {},
            form->GridLayers->CellRect(1, layer->Index()).center());
        return *layer;
    }
    // What the list paints in a cell, against the grid's own text rule.
    QImage Painted(int col, int row)
    {
        QImage cell(154, 18, QImage::Format_RGB32);
        cell.fill(Qt::white);
        QPainter p(&cell);
        Windows().FormPresenters->GridPresentersDrawCell(p, col, row, cell.rect());
        return cell;
    }
    static QImage Drawn(const QString& text)
    {
        QImage cell(154, 18, QImage::Format_RGB32);
        cell.fill(Qt::white);
        QPainter p(&cell);
        TStringGrid::DrawCellText(p, cell.rect(), text);
        return cell;
    }
    void ClickRow(TStringGrid* grid, int row, bool twice = false)
    {
        const QPoint at = grid->CellRect(1, row).center();
        if (twice)
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    }
};

TEST_F(PresenterListTest, ListsKindsAddsWithTheNextFreeIdAndOpensTheRightEditor)
{
    TGlobeLayer& layer = OpenLayer(WriteSquaresLayer(DataHome() + "/ilhas.lyr", 2));
    TGlobePresenterStore& store = layer.ObjectSource().Presenters();
    auto point = std::make_unique<TPointPresenter>(&Globe(), 1);
    point->Name = "Farol";
    store.Add(std::move(point));
    auto line = std::make_unique<TPolyPresenter>(&Globe(), 4);
    line->Name = "Costa";
    store.Add(std::move(line));
    ASSERT_FALSE(layer.Modified());

    bool listShown = false;
    OnNextModal<TFormPresenters>([&](TFormPresenters& list) {
        listShown = true;
        EXPECT_EQ(list.windowTitle(), "Traçadores do Layer");
        EXPECT_EQ(list.GridPresenters->RowCount(), 2);
        EXPECT_EQ(Painted(0, 0), Drawn("1"));
        EXPECT_EQ(Painted(1, 0), Drawn("Farol"));
        EXPECT_EQ(Painted(2, 0), Drawn("Pontual"));
        EXPECT_EQ(Painted(0, 1), Drawn("4"));
        EXPECT_EQ(Painted(2, 1), Drawn("Linear"));

        QTest::mouseClick(list.BtNovoPolygon, Qt::LeftButton);
        ASSERT_EQ(store.Count(), 3);
        EXPECT_EQ(store.Presenters(2).PresenterID, 5);
        EXPECT_EQ(list.GridPresenters->RowCount(), 3);
        EXPECT_EQ(Painted(0, 2), Drawn("5"));
        EXPECT_EQ(Painted(2, 2), Drawn("Preenchido"));
        EXPECT_TRUE(layer.Modified());
        QTest::mouseClick(list.BtNovoPoint, Qt::LeftButton);
        QTest::mouseClick(list.BtNovoPolyLine, Qt::LeftButton);
        ASSERT_EQ(store.Count(), 5);
        EXPECT_EQ(Painted(0, 3), Drawn("6"));
        EXPECT_EQ(Painted(2, 3), Drawn("Pontual"));
        EXPECT_EQ(Painted(0, 4), Drawn("7"));
        EXPECT_EQ(Painted(2, 4), Drawn("Linear"));
        EXPECT_EQ(list.BtNovoPoint->text(), "Novo pontual ");
        EXPECT_EQ(list.BtNovoPolyLine->text(), "Novo linear");
        EXPECT_EQ(list.BtProPri->text(), "Propriedades");
        Save(list, "brumex-presenter-list");

        // "Propriedades" on the base poly presenter: the poly editor, not filled.
        ClickRow(list.GridPresenters, 1);
        bool polyShown = false;
        OnNextModal<TFormEdPoliPres>([&](TFormEdPoliPres& editor) {
            polyShown = true;
            EXPECT_EQ(Vars.EditedPresenter, &store.Presenters(1));
            EXPECT_EQ(editor.EdName->text(), "Costa");
            EXPECT_FALSE(editor.CBPreenchido->isChecked());
            Type(editor.EdName, "Litoral");
            QTest::mouseClick(editor.BtOK, Qt::LeftButton);
        });
        QTest::mouseClick(list.BtProPri, Qt::LeftButton);
        EXPECT_TRUE(polyShown);
        EXPECT_EQ(store.Presenters(1).Name, "Litoral");
        EXPECT_EQ(Painted(1, 1), Drawn("Litoral"));
        EXPECT_EQ(Vars.EditedPresenter, nullptr);

        // A double click on the point presenter: the point editor; Cancel.
        bool pointShown = false;
        OnNextModal<TFormEdPointPres>([&](TFormEdPointPres& editor) {
            pointShown = true;
            EXPECT_EQ(editor.EdName->text(), "Farol");
            Type(editor.EdName, "Nada");
            QTest::mouseClick(editor.BtCancelar, Qt::LeftButton);
        });
        ClickRow(list.GridPresenters, 0, true);
        EXPECT_TRUE(pointShown);
        EXPECT_EQ(store.Presenters(0).Name, "Farol");
        QTest::mouseClick(list.BtOK, Qt::LeftButton);
    });
    form->Presenters1->trigger();
    EXPECT_TRUE(listShown);
    EXPECT_FALSE(Windows().FormPresenters->isVisible());
}

} // namespace

namespace {

// A whole session: the world layer and a shapefile opened, reordered and one
// hidden, a fill colour changed in the poly editor, the layer saved, the
// program closed and started again.
TEST_F(PresenterListTest, ChangedFillColourSurvivesSaveAndRestart)
{
    const QString folder = DataHome() + "/mapas";
    QDir().mkpath(folder);
    const QString world = folder + "/TGWorld.lyr";
    ASSERT_TRUE(QFile::copy(BRUMEX_SOURCE_DIR "/data/TGWorld.lyr", world));
    for (const char* suffix : { ".shp", ".shx", ".dbf" })
        ASSERT_TRUE(QFile::copy(QStringLiteral(BRUMEX_TEST_DATA "/naturalearth/ne_110m_countries") + suffix,
            folder + "/paises" + suffix));
    TGlobeLayer& worldLayer = OpenLayer(world);
    TGlobeLayer& countries = OpenLayer(folder + "/paises.shp");
    // The shapefile goes below the world and out of sight.
    form->ParaTrs1->trigger();
    form->Visvel1->trigger();
    EXPECT_LT(countries.Index(), worldLayer.Index());
    EXPECT_FALSE(countries.Visible());
    const auto redPixels = [this](const QString& name) {
        Globe().Redraw();
        QApplication::processEvents();
        const QImage picture = Globe().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        picture.save(QDir::tempPath() + "/" + name + ".png");
        int reds = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                reds += picture.pixel(x, y) == qRgb(255, 0, 0);
        return reds;
    };
    // The scale bar is red too.
    const int redBefore = redPixels("brumex-session-world-before");

    QTest::mouseClick(form->GridLayers->viewport(), Qt::LeftButton, {},
        form->GridLayers->CellRect(1, worldLayer.Index()).center());
    TGlobePresenterStore& store = worldLayer.ObjectSource().Presenters();
    const int32_t id = worldLayer.ObjectSource().GetObject(0).PresenterID();
    int row = -1;
    for (int i = 0; i < store.Count(); ++i)
        if (store.Presenters(i).PresenterID == id)
            row = i;
    ASSERT_GE(row, 0);
    ASSERT_NE(dynamic_cast<TPolyPresenter*>(&store.Presenters(row)), nullptr);
    const TColor red = 0x0000FF;
    OnNextModal<TFormPresenters>([&](TFormPresenters& list) {
        ClickRow(list.GridPresenters, row);
        OnNextModal<TFormEdPoliPres>([&](TFormEdPoliPres& editor) {
            PickColour(editor.CBBrushColor, QColor(255, 0, 0));
            Choose(editor.CBBrushStyle, "bsSolid");
            QTest::mouseClick(editor.BtOK, Qt::LeftButton);
        });
        QTest::mouseClick(list.BtProPri, Qt::LeftButton);
        QTest::mouseClick(list.BtOK, Qt::LeftButton);
    });
    form->Presenters1->trigger();
    EXPECT_TRUE(worldLayer.Modified());
    form->Salvar1->trigger();
    EXPECT_FALSE(worldLayer.Modified());

    ASSERT_TRUE(form->close());
    DestroyWindows();
    // The file itself holds the colour.
    {
        TGlobe4 scratch;
        TGlobeLayer& read = scratch.LayerStore()->Layers(OpenLayerFile(scratch, toCp1252(world)));
        const TGlobePresenter* presenter = read.ObjectSource().Presenters().ByID(id, false);
        ASSERT_NE(dynamic_cast<const TPolyPresenter*>(presenter), nullptr);
        EXPECT_EQ(static_cast<const TPolyPresenter*>(presenter)->PolyBrush.BrushColor(), red);
    }

    Vars = TVars {};
    Vars.AnimarGlobo = false;
    form = &CreateWindows();
    form->FormActivate();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    TGlobeLayer* again = Globe().LayerStore()->LayerByName("TGWorld.lyr");
    ASSERT_NE(again, nullptr);
    const auto* presenter
        = dynamic_cast<const TPolyPresenter*>(again->ObjectSource().Presenters().ByID(id, false));
    ASSERT_NE(presenter, nullptr);
    EXPECT_EQ(presenter->PolyBrush.BrushColor(), red);
    EXPECT_GT(redPixels("brumex-session-world-after-restart"), redBefore + 1000);
    form->grab().save(QDir::tempPath() + "/brumex-session-window-after-restart.png");
}

} // namespace
