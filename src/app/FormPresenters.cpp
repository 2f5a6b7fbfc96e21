#include "app/FormPresenters.h"

#include "app/FormEdPointPres.h"
#include "app/FormEdPoliPres.h"
#include "app/StringGrid.h"
#include "app/Vars.h"
#include "platform/Cp1252.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenterStore.h"

#include <QGridLayout>
#include <QPainter>
#include <QPushButton>

namespace {

QString KindOf(const TGlobePresenter& presenter)
{
    if (dynamic_cast<const TPointPresenter*>(&presenter))
        return QStringLiteral("Pontual");
    if (dynamic_cast<const TPolygonPresenter*>(&presenter))
        return QStringLiteral("Preenchido");
    return QStringLiteral("Linear");
}

} // namespace

TFormPresenters::TFormPresenters(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormPresenters"));
    setWindowTitle(QStringLiteral("Traçadores do Layer"));

    GridPresenters = new TStringGrid({ 27, 154, 57 }, 18, this);
    GridPresenters->setObjectName(QStringLiteral("GridPresenters"));
    GridPresenters->setMinimumSize(27 + 154 + 57 + 24, 180);
    GridPresenters->OnDrawCell = [this](QPainter& p, int col, int row, const QRect& rect, bool) {
        GridPresentersDrawCell(p, col, row, rect);
    };
    GridPresenters->OnDblClick = [this] { GridPresentersDblClick(); };

    const auto button = [this](const char* name, const QString& caption, void (TFormPresenters::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    BtOK = button("BtOK", QStringLiteral("OK"), &TFormPresenters::BtOKClick);
    BtNovoPoint = button("BtNovoPoint", QStringLiteral("Novo pontual "), &TFormPresenters::BtNovoPointClick);
    BtNovoPolyLine = button("BtNovoPolyLine", QStringLiteral("Novo linear"), &TFormPresenters::BtNovoPolyLineClick);
    BtNovoPolygon
        = button("BtNovoPolygon", QStringLiteral("Novo preenchido"), &TFormPresenters::BtNovoPolygonClick);
    BtProPri = button("BtProPri", QStringLiteral("Propriedades"), &TFormPresenters::BtProPriClick);

    auto* layout = new QGridLayout(this);
    layout->addWidget(GridPresenters, 0, 0, 6, 1);
    int row = 0;
    for (QPushButton* b : { BtNovoPoint, BtNovoPolyLine, BtNovoPolygon, BtProPri })
        layout->addWidget(b, row++, 1);
    layout->setRowStretch(4, 1);
    layout->addWidget(BtOK, 5, 1);
}

void TFormPresenters::SetEditors(TFormEdPointPres* pointEditor, TFormEdPoliPres* polyEditor)
{
    m_pointEditor = pointEditor;
    m_polyEditor = polyEditor;
}

TGlobeLayer* TFormPresenters::Layer() const
{
    return CurrentLayer ? CurrentLayer() : nullptr;
}

TGlobePresenterStore* TFormPresenters::Presenters() const
{
    TGlobeLayer* layer = Layer();
    return layer ? &layer->ObjectSource().Presenters() : nullptr;
}

void TFormPresenters::ShowPresenters()
{
    const TGlobePresenterStore* store = Presenters();
    GridPresenters->SetRowCount(store ? store->Count() : 0);
}

void TFormPresenters::showEvent(QShowEvent* event)
{
    ShowPresenters();
    QDialog::showEvent(event);
}

void TFormPresenters::GridPresentersDrawCell(QPainter& painter, int col, int row, const QRect& rect)
{
    const TGlobePresenterStore* store = Presenters();
    if (!store || row >= store->Count())
        return;
    const TGlobePresenter& presenter = store->Presenters(row);
    const QString text = col == 0 ? QString::number(presenter.PresenterID)
        : col == 1                ? fromCp1252(presenter.Name)
                                  : KindOf(presenter);
    TStringGrid::DrawCellText(painter, rect, text);
}

void TFormPresenters::AddPresenter(std::unique_ptr<TGlobePresenter> presenter)
{
    TGlobeLayer* layer = Layer();
    if (!layer)
        return;
    layer->ObjectSource().Presenters().Add(std::move(presenter));
    layer->SetModified(true);
    ShowPresenters();
}

void TFormPresenters::BtNovoPointClick()
{
    if (TGlobeLayer* layer = Layer())
        AddPresenter(std::make_unique<TPointPresenter>(&layer->Globe(), 0));
}

void TFormPresenters::BtNovoPolyLineClick()
{
    if (TGlobeLayer* layer = Layer())
        AddPresenter(std::make_unique<TPolyPresenter>(&layer->Globe(), 0));
}

void TFormPresenters::BtNovoPolygonClick()
{
    if (TGlobeLayer* layer = Layer())
        AddPresenter(std::make_unique<TPolygonPresenter>(&layer->Globe(), 0));
}

void TFormPresenters::EditPresenter()
{
    TGlobePresenterStore* store = Presenters();
    const int row = GridPresenters->Row();
    if (!store || row < 0 || row >= store->Count())
        return;
    TGlobePresenter& presenter = store->Presenters(row);
    Vars.EditedPresenter = &presenter;
    QDialog* editor = nullptr;
    if (dynamic_cast<TPointPresenter*>(&presenter))
        editor = m_pointEditor;
    else if (dynamic_cast<TPolyPresenter*>(&presenter))
        editor = m_polyEditor;
    const bool changed = editor && editor->exec() == QDialog::Accepted;
    // Nothing keeps the presenter after its editor closed.
    Vars.EditedPresenter = nullptr;
    if (changed) {
        if (TGlobeLayer* layer = Layer())
            layer->SetModified(true);
        GridPresenters->Repaint();
    }
}

void TFormPresenters::GridPresentersDblClick()
{
    EditPresenter();
}

void TFormPresenters::BtProPriClick()
{
    EditPresenter();
}

void TFormPresenters::BtOKClick()
{
    if (TGlobeLayer* layer = Layer())
        layer->Globe().Redraw();
    accept();
}
