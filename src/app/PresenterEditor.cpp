#include "app/PresenterEditor.h"

#include "app/UpDown.h"
#include "platform/Cp1252.h"
#include "view/Colors.h"
#include "view/GlobeAttribute.h"
#include "view/GlobePresenter.h"

#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <stdexcept>

namespace {

// Names of a stored presenter are short strings.
constexpr int NAME_LENGTH = 255;

const QStringList& UnitNames()
{
    static const QStringList names { "Degree", "Minute", "NauticalMile", "Kilometer", "Mile", "Second", "Third",
        "Hundreth", "Thousanth", "Meter", "CentiMeter", "Fathom", "Yard", "Foot", "Inch", "GlobeUnit", "Pixel" };
    return names;
}

// The patterns past the twelfth are not offered; a presenter that has one
// keeps it.
QStringList BrushStyleNames()
{
    QStringList names { "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross",
        "bsDiagCross" };
    for (int i = 1; i <= 12; ++i)
        names << QStringLiteral("bsPattern%1").arg(i);
    return names;
}

// Passes double clicks on a font combo's text to the editor.
class TDoubleClickFilter : public QObject {
public:
    TDoubleClickFilter(QObject* parent, std::function<void()> action)
        : QObject(parent)
        , m_action(std::move(action))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_action();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

} // namespace

TColorField::TColorField(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    setMinimumSize(40, 21);
    SetColor(0);
}

void TColorField::SetColor(TColor color)
{
    m_color = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(color));
    setPalette(p);
}

void TColorField::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    emit DoubleClicked();
}

TPresenterEditor::TPresenterEditor(QWidget* parent)
    : QDialog(parent)
{
    RunColorDialog = [this](const QColor& initial) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, this);
        return chosen.isValid() ? std::optional(chosen) : std::nullopt;
    };
    RunFontDialog = [this](const QString& fontName) -> std::optional<QString> {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, QFont(fontName), this);
        return ok ? std::optional(chosen.family()) : std::nullopt;
    };

    EdName = new QLineEdit(this);
    EdName->setObjectName(QStringLiteral("EdName"));
    EdName->setMaxLength(NAME_LENGTH);
    EdPenColor = ColorField("EdPenColor");
    CBPenStyle = EnumCombo("CBPenStyle", { "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear" });
    EdPenWidth = NumberEdit("EdPenWidth");
    UpDown1 = UpDownFor("UpDown1", EdPenWidth, 0, 100);
    CBPenUnits = UnitCombo("CBPenUnits");
    CBBrushColor = ColorField("CBBrushColor");
    CBBrushBKColor = ColorField("CBBrushBKColor");
    CBBrushStyle = EnumCombo("CBBrushStyle", BrushStyleNames());
    CBTitleAlignment = EnumCombo("CBTitleAlignment",
        { "taNone", "taCenter", "taLeft", "taRight", "taTopLeft", "taTop", "taTopRight", "taBottomLeft", "taBottom",
            "taBottomRight" });
    CBTitleFont = FontField("CBTitleFont");
    EdTitleOffset = NumberEdit("EdTitleOffset");

    BtOK = new QPushButton(QStringLiteral("OK"), this);
    BtOK->setObjectName(QStringLiteral("BtOK"));
    BtOK->setDefault(true);
    BtCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    BtCancelar->setObjectName(QStringLiteral("BtCancelar"));
    BtCancelar->setAutoDefault(false);
    connect(BtCancelar, &QPushButton::clicked, this, &TPresenterEditor::BtCancelarClick);
}

void TPresenterEditor::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void TPresenterEditor::CloseAtOnce()
{
    // Queued: a modal run that is only starting would miss a close now.
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void TPresenterEditor::BtCancelarClick()
{
    reject();
}

void TPresenterEditor::EdColorDblClick(TColorField& field)
{
    if (const std::optional<QColor> chosen = RunColorDialog(ToQColor(field.Color())))
        field.SetColor(FromQColor(*chosen));
}

void TPresenterEditor::FontFieldDblClick(QComboBox& field)
{
    if (const std::optional<QString> chosen = RunFontDialog(field.currentText()))
        field.setCurrentText(*chosen);
}

void TPresenterEditor::ApplyEdit(
    TGlobePresenter& presenter, const std::function<void(TGlobePresenter& copy)>& write)
{
    try {
        const std::unique_ptr<TGlobePresenter> copy = presenter.Clone(presenter.Globe());
        write(*copy);
        presenter.Assign(*copy);
    } catch (const std::exception& e) {
        QMessageBox::warning(this, QStringLiteral("Erro!"), QString::fromUtf8(e.what()));
        return;
    }
    accept();
}

QComboBox* TPresenterEditor::EnumCombo(const char* name, const QStringList& values)
{
    auto* combo = new QComboBox(this);
    combo->setObjectName(QLatin1String(name));
    combo->addItems(values);
    combo->setMaxVisibleItems(20);
    return combo;
}

QComboBox* TPresenterEditor::UnitCombo(const char* name)
{
    return EnumCombo(name, UnitNames());
}

TColorField* TPresenterEditor::ColorField(const char* name)
{
    auto* field = new TColorField(this);
    field->setObjectName(QLatin1String(name));
    connect(field, &TColorField::DoubleClicked, this, [this, field] { EdColorDblClick(*field); });
    return field;
}

QComboBox* TPresenterEditor::FontField(const char* name)
{
    auto* combo = new QComboBox(this);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(QFontDatabase::families());
    combo->lineEdit()->setMaxLength(NAME_LENGTH);
    combo->lineEdit()->installEventFilter(
        new TDoubleClickFilter(combo, [this, combo] { FontFieldDblClick(*combo); }));
    return combo;
}

QLineEdit* TPresenterEditor::NumberEdit(const char* name)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setMaximumWidth(70);
    return edit;
}

TUpDown* TPresenterEditor::UpDownFor(const char* name, QLineEdit* edit, int min, int max)
{
    auto* upDown = new TUpDown(Qt::Vertical, this);
    upDown->setObjectName(QLatin1String(name));
    upDown->SetRange(min, max);
    upDown->SetAssociate(edit);
    return upDown;
}

QGroupBox* TPresenterEditor::Group(const QString& title, TRows rows)
{
    auto* group = new QGroupBox(title, this);
    auto* layout = new QFormLayout(group);
    for (const auto& [label, field] : rows)
        layout->addRow(label, field);
    return group;
}

QWidget* TPresenterEditor::Stepped(QLineEdit* edit, TUpDown* upDown)
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(edit);
    layout->addWidget(upDown);
    layout->addStretch();
    return row;
}

QGroupBox* TPresenterEditor::PenGroup()
{
    return Group(QStringLiteral("Linha"),
        { { QStringLiteral("Cor"), EdPenColor }, { QStringLiteral("Tipo"), CBPenStyle },
            { QStringLiteral("Espessura"), Stepped(EdPenWidth, UpDown1) },
            { QStringLiteral("Unidade"), CBPenUnits } });
}

QGroupBox* TPresenterEditor::BrushGroup()
{
    return Group(QStringLiteral("Preenchimento"),
        { { QStringLiteral("Cor"), CBBrushColor }, { QStringLiteral("Fundo"), CBBrushBKColor },
            { QStringLiteral("Estilo"), CBBrushStyle } });
}

QLayout* TPresenterEditor::Buttons()
{
    auto* layout = new QHBoxLayout;
    layout->addStretch();
    layout->addWidget(BtOK);
    layout->addWidget(BtCancelar);
    return layout;
}

void TPresenterEditor::ShowNumber(QLineEdit& edit, int value)
{
    edit.setText(QString::number(value));
}

void TPresenterEditor::ShowEnum(QComboBox& combo, int ordinal)
{
    combo.setCurrentIndex(ordinal < combo.count() ? ordinal : -1);
}

int32_t TPresenterEditor::ReadInteger(const QLineEdit& edit, const QString& field, int32_t min, int32_t max)
{
    const QString text = edit.text().trimmed();
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < min || value > max)
        throw std::invalid_argument(QStringLiteral("\"%1\": \"%2\" não é um número inteiro de %3 a %4.")
                                        .arg(field, text)
                                        .arg(min)
                                        .arg(max)
                                        .toStdString());
    return static_cast<int32_t>(value);
}

int TPresenterEditor::ReadOrdinal(const QComboBox& combo, int current)
{
    return combo.currentIndex() < 0 ? current : combo.currentIndex();
}

void TPresenterEditor::FillName(const TGlobePresenter& presenter)
{
    EdName->setText(fromCp1252(presenter.Name));
}

void TPresenterEditor::FillPen(const TGlobePen& pen)
{
    EdPenColor->SetColor(pen.PenColor());
    ShowEnum(*CBPenStyle, static_cast<int>(pen.PenStyle()));
    ShowNumber(*EdPenWidth, pen.PenWidth());
    ShowEnum(*CBPenUnits, static_cast<int>(pen.PenUnit()));
}

void TPresenterEditor::FillBrush(const TGlobeBrush& brush)
{
    CBBrushColor->SetColor(brush.BrushColor());
    CBBrushBKColor->SetColor(brush.BrushBkColor());
    ShowEnum(*CBBrushStyle, static_cast<int>(brush.BrushStyle()));
}

void TPresenterEditor::FillTitle(const TGlobePresenter& presenter)
{
    ShowEnum(*CBTitleAlignment, static_cast<int>(presenter.TitleAlignment));
    CBTitleFont->setCurrentText(fromCp1252(presenter.TitleFont.FontName()));
    ShowNumber(*EdTitleOffset, presenter.TitleOffset);
}

void TPresenterEditor::WritePen(TGlobePen& pen) const
{
    pen.SetPenColor(EdPenColor->Color());
    pen.SetPenStyle(static_cast<TPenStyle>(ReadOrdinal(*CBPenStyle, static_cast<int>(pen.PenStyle()))));
    pen.SetPenWidth(ReadInteger(*EdPenWidth, QStringLiteral("Linha: Espessura"), 0, INT32_MAX));
    pen.SetPenUnit(static_cast<TGlobeUnitTypes>(ReadOrdinal(*CBPenUnits, static_cast<int>(pen.PenUnit()))));
}

void TPresenterEditor::WriteBrush(TGlobeBrush& brush) const
{
    brush.SetBrushBkColor(CBBrushBKColor->Color());
    brush.SetBrushColor(CBBrushColor->Color());
    brush.SetBrushStyle(
        static_cast<TGlobeBrushStyle>(ReadOrdinal(*CBBrushStyle, static_cast<int>(brush.BrushStyle()))));
}

void TPresenterEditor::WriteTitle(TGlobePresenter& presenter) const
{
    presenter.TitleAlignment = static_cast<TTitleAlignment>(
        ReadOrdinal(*CBTitleAlignment, static_cast<int>(presenter.TitleAlignment)));
    presenter.TitleFont.SetFontName(toCp1252(CBTitleFont->currentText()));
    presenter.TitleOffset = ReadInteger(*EdTitleOffset, QStringLiteral("Legenda: Offset"), INT32_MIN, INT32_MAX);
}
