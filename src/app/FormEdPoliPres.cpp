#include "app/FormEdPoliPres.h"

#include "app/UpDown.h"
#include "app/Vars.h"
#include "platform/Cp1252.h"
#include "view/GlobePresenter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormEdPoliPres::TFormEdPoliPres(QWidget* parent)
    : TPresenterEditor(parent)
{
    setObjectName(QStringLiteral("FormEdPoliPres"));
    setWindowTitle(QStringLiteral("Poli Presenter"));

    UpDown2 = UpDownFor("UpDown2", EdTitleOffset, -1000, 1000);
    CBPreenchido = new QCheckBox(QStringLiteral("Preenchido"), this);
    CBPreenchido->setObjectName(QStringLiteral("CBPreenchido"));
    CBPreenchido->setEnabled(false);
    connect(BtOK, &QPushButton::clicked, this, &TFormEdPoliPres::BtOKClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Group(QString(), { { QStringLiteral("Nome"), EdName } }));
    layout->addWidget(PenGroup());
    layout->addWidget(BrushGroup());
    layout->addWidget(Group(QStringLiteral("Legenda"),
        { { QStringLiteral("Alinhamento"), CBTitleAlignment }, { QStringLiteral("Fonte"), CBTitleFont },
            { QStringLiteral("Offset"), Stepped(EdTitleOffset, UpDown2) } }));
    layout->addWidget(CBPreenchido);
    layout->addLayout(Buttons());
}

TPolyPresenter* TFormEdPoliPres::Edited() const
{
    return dynamic_cast<TPolyPresenter*>(Vars.EditedPresenter);
}

void TFormEdPoliPres::FormActivate()
{
    const TPolyPresenter* presenter = Edited();
    if (!presenter) {
        CloseAtOnce();
        return;
    }
    FillName(*presenter);
    FillPen(presenter->PolyPen);
    FillBrush(presenter->PolyBrush);
    FillTitle(*presenter);
    CBPreenchido->setChecked(dynamic_cast<const TPolygonPresenter*>(presenter) != nullptr);
}

void TFormEdPoliPres::BtOKClick()
{
    if (TPolyPresenter* presenter = Edited())
        ApplyEdit(*presenter, [this](TGlobePresenter& copy) { Write(static_cast<TPolyPresenter&>(copy)); });
}

void TFormEdPoliPres::Write(TPolyPresenter& presenter) const
{
    presenter.Name = toCp1252(EdName->text());
    WritePen(presenter.PolyPen);
    WriteBrush(presenter.PolyBrush);
    WriteTitle(presenter);
}
