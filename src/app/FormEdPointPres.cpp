#include "app/FormEdPointPres.h"

#include "app/EditMask.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "platform/Cp1252.h"
#include "view/GlobePresenter.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <stdexcept>

namespace {

// Three digits at most, blanks for the missing ones.
const QString SMALL_NUMBER_MASK = QStringLiteral("999;0; ");

} // namespace

TFormEdPointPres::TFormEdPointPres(QWidget* parent)
    : TPresenterEditor(parent)
{
    setObjectName(QStringLiteral("FormEdPointPres"));
    setWindowTitle(QStringLiteral("Point Presenter"));

    CBPointPresenterType = EnumCombo("CBPointPresenterType",
        { "ppNone", "ppFontSymbol", "ppImage", "ppDot", "ppCircle", "ppSquare", "ppDiamond", "ppTriangleUp",
            "ppTriangleDown", "ppTriangleLeft", "ppTriangleRight" });
    connect(CBPointPresenterType, &QComboBox::currentIndexChanged, this,
        &TFormEdPointPres::CBPointPresenterTypeChange);
    EdPointSize = NumberEdit("EdPointSize");
    CBPointUnits = UnitCombo("CBPointUnits");
    EdMaxPointSize = NumberEdit("EdMaxPointSize");
    ApplyEditMask(*EdMaxPointSize, SMALL_NUMBER_MASK);
    EdImagem = new QLineEdit(this);
    EdImagem->setObjectName(QStringLiteral("EdImagem"));
    EdImagem->setMaxLength(255);
    CBPointFont = FontField("CBPointFont");
    EdSymbolIndex = NumberEdit("EdSymbolIndex");
    ApplyEditMask(*EdSymbolIndex, SMALL_NUMBER_MASK);
    EdTamFonte = NumberEdit("EdTamFonte");
    UpDown2 = UpDownFor("UpDown2", EdTamFonte, 0, 1000);
    CBFontUnits = UnitCombo("CBFontUnits");
    CBFontColor = ColorField("CBFontColor");
    UpDown3 = UpDownFor("UpDown3", EdTitleOffset, -1000, 1000);
    connect(BtOK, &QPushButton::clicked, this, &TFormEdPointPres::BtOKClick);

    auto* sizes = Group(QString(),
        { { QStringLiteral("Nome"), EdName }, { QStringLiteral("Tipo"), CBPointPresenterType },
            { QStringLiteral("Tamanho"), EdPointSize }, { QStringLiteral("Unidade"), CBPointUnits },
            { QStringLiteral("Tam(max)"), EdMaxPointSize } });
    auto* visual = Group(QStringLiteral("Visual"),
        { { QStringLiteral("Imagem"), EdImagem }, { QStringLiteral("Font"), CBPointFont },
            { QStringLiteral("Letra (SymbolIndex)"), EdSymbolIndex } });
    auto* title = Group(QStringLiteral("Legenda"),
        { { QStringLiteral("Alinhamento"), CBTitleAlignment }, { QStringLiteral("Fonte"), CBTitleFont },
            { QStringLiteral("Tam"), Stepped(EdTamFonte, UpDown2) }, { QStringLiteral("Units"), CBFontUnits },
            { QStringLiteral("Cor"), CBFontColor } });
    auto* offset = Group(QString(), { { QStringLiteral("Offset"), Stepped(EdTitleOffset, UpDown3) } });

    auto* layout = new QGridLayout(this);
    layout->addWidget(sizes, 0, 0);
    layout->addWidget(PenGroup(), 1, 0);
    layout->addWidget(BrushGroup(), 2, 0);
    layout->addWidget(visual, 0, 1);
    layout->addWidget(title, 1, 1);
    layout->addWidget(offset, 2, 1, Qt::AlignTop);
    layout->addLayout(Buttons(), 3, 0, 1, 2);
}

TPointPresenter* TFormEdPointPres::Edited() const
{
    return dynamic_cast<TPointPresenter*>(Vars.EditedPresenter);
}

void TFormEdPointPres::FormActivate()
{
    const TPointPresenter* presenter = Edited();
    if (!presenter) {
        CloseAtOnce();
        return;
    }
    ShowEnum(*CBPointPresenterType, static_cast<int>(presenter->PointType));
    ShowNumber(*EdPointSize, presenter->PointSize());
    ShowEnum(*CBPointUnits, static_cast<int>(presenter->PointUnit()));
    ShowNumber(*EdMaxPointSize, presenter->MaxPointSize());
    FillPen(presenter->PointPen);
    FillBrush(presenter->PointBrush);
    EdImagem->setText(fromCp1252(presenter->ImageName()));
    CBPointFont->setCurrentText(fromCp1252(presenter->PointFont.FontName()));
    ShowNumber(*EdSymbolIndex, presenter->SymbolIndex);
    FillName(*presenter);
    FillTitle(*presenter);
    ShowNumber(*EdTamFonte, presenter->TitleFont.FontSize());
    ShowEnum(*CBFontUnits, static_cast<int>(presenter->TitleFont.FontUnit()));
    CBFontColor->SetColor(presenter->TitleFont.FontColor());
    CBPointPresenterTypeChange();
}

void TFormEdPointPres::CBPointPresenterTypeChange()
{
    const bool image = CBPointPresenterType->currentIndex() == static_cast<int>(TPointPresenterType::ppImage);
    EdImagem->setEnabled(image);
    CBPointFont->setEnabled(!image);
    EdSymbolIndex->setEnabled(!image);
}

void TFormEdPointPres::BtOKClick()
{
    if (TPointPresenter* presenter = Edited())
        ApplyEdit(*presenter, [this](TGlobePresenter& copy) { Write(static_cast<TPointPresenter&>(copy)); });
}

void TFormEdPointPres::Write(TPointPresenter& p) const
{
    p.PointType = static_cast<TPointPresenterType>(ReadOrdinal(*CBPointPresenterType, static_cast<int>(p.PointType)));
    p.SetPointUnit(static_cast<TGlobeUnitTypes>(ReadOrdinal(*CBPointUnits, static_cast<int>(p.PointUnit()))));
    p.SetPointSize(ReadInteger(*EdPointSize, QStringLiteral("Tamanho"), 0, INT32_MAX));
    p.SymbolIndex = static_cast<int16_t>(ReadInteger(*EdSymbolIndex, QStringLiteral("Letra (SymbolIndex)"), 0, 999));
    WriteImageName(p);
    p.SetMaxPointSize(ReadInteger(*EdMaxPointSize, QStringLiteral("Tam(max)"), 0, 999));
    WritePen(p.PointPen);
    WriteBrush(p.PointBrush);
    p.PointFont.SetFontName(toCp1252(CBPointFont->currentText()));
    p.Name = toCp1252(EdName->text());
    WriteTitle(p);
    p.TitleFont.SetFontSize(ReadInteger(*EdTamFonte, QStringLiteral("Legenda: Tam"), 0, INT16_MAX));
    p.TitleFont.SetFontUnit(
        static_cast<TGlobeUnitTypes>(ReadOrdinal(*CBFontUnits, static_cast<int>(p.TitleFont.FontUnit()))));
    p.TitleFont.SetFontColor(CBFontColor->Color());
}

void TFormEdPointPres::WriteImageName(TPointPresenter& presenter) const
{
    const std::string name = toCp1252(EdImagem->text().trimmed());
    if (name == presenter.ImageName())
        return;
    if (name.empty()) {
        presenter.SetImage({});
        return;
    }
    presenter.SetImageName(name);
    if (presenter.ImageName().empty())
        throw std::invalid_argument(
            QStringLiteral("\"Imagem\": \"%1\" não foi encontrada.").arg(EdImagem->text().trimmed()).toStdString());
}
