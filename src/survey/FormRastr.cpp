#include "survey/FormRastr.h"

#include "geo/GeoDataObject.h"
#include "geo/GlobeUnits.h"
#include "gps/GPS.h"
#include "survey/DbControls.h"
#include "survey/NavigationState.h"
#include "survey/SurveyHost.h"
#include "survey/SurveyState.h"
#include "survey/SurveyTables.h"
#include "widgets/Compass.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int LEFT_PANEL_WIDTH = 340;

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLineEdit* Readout(const char* name, QWidget* parent)
{
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

QPushButton* Button(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

// A number typed by the operator: the user's locale first (as the post is
// shown), then "." as decimal separator.
bool ParseKm(const QString& text, double& value)
{
    bool ok = false;
    value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value);
}

} // namespace

TFormRastr::TFormRastr(std::unique_ptr<TSurveyHost> host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_host(std::move(host))
{
    setObjectName(QStringLiteral("FormRastr"));
    setWindowTitle(QStringLiteral("Rastreador"));
    ShowMessage = [this](const QString& message) {
        QMessageBox::warning(this, QStringLiteral("Rastreador"), message);
    };
    TbDados.BeforeInsert = [this](TDbTable&) { TbDadosBeforeInsert(); };
    TbDados.AfterInsert = [this](TDbTable&) { TbDadosAfterInsert(); };

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(CreatePanelEsq());
    layout->addWidget(CreatePanelDados(), 1);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    OpenDialogTbDados = Named(new QFileDialog(this), "OpenDialogTbDados");
    OpenDialogTbDados->setOption(QFileDialog::DontUseNativeDialog);
    OpenDialogTbDados->setAcceptMode(QFileDialog::AcceptOpen);
    // A new road is a table that does not exist yet: it is created on opening.
    OpenDialogTbDados->setFileMode(QFileDialog::AnyFile);
    OpenDialogTbDados->setNameFilter(QStringLiteral("Arquivos de dados (*.DB)"));
    OpenDialogTbDados->setDefaultSuffix(QStringLiteral("DB"));
    PreviewKeys(*this);

    // FormCreate.
    resize(WideWidth, 600);
    TbDados.SetTableName(m_host->DefaultTablePath());
    Survey.CurrentPK = 0;
    Survey.NextRefer.clear();
    m_host->Navigation().PreviousFix = {};
}

TFormRastr::~TFormRastr()
{
    // The program ends with the window open: what the operator typed is kept.
    if (m_open && TbDados.Active() && TbDados.Editing()) {
        try {
            TbDados.Post();
        } catch (const EDbTableError&) {
        }
    }
    // The bound controls read the tables while they are hidden and freed:
    // they go now, while the tables still exist.
    delete PanelEsq;
    delete PanelDados;
}

QFrame* TFormRastr::CreatePanelEsq()
{
    PanelEsq = Named(new QFrame(this), "PanelEsq");
    PanelEsq->setFixedWidth(LEFT_PANEL_WIDTH);
    auto* column = new QVBoxLayout(PanelEsq);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);

    auto* top = new QGridLayout;
    top->setSpacing(2);
    SwGPS = Named(new QCheckBox(QStringLiteral("Conectar GPS"), PanelEsq), "SwGPS");
    EdLon = Readout("EdLon", PanelEsq);
    EdLat = Readout("EdLat", PanelEsq);
    EdVeloc = Readout("EdVeloc", PanelEsq);
    EdHoraGPS = Readout("EdHoraGPS", PanelEsq);
    Bussola = Named(new TCompass(PanelEsq), "Bussola");
    UseSurveyWindowLook(*Bussola);
    Bussola->setFixedSize(120, 120);
    top->addWidget(SwGPS, 0, 0);
    top->addWidget(EdLon, 1, 0);
    top->addWidget(EdLat, 2, 0);
    top->addWidget(EdVeloc, 3, 0);
    top->addWidget(EdHoraGPS, 4, 0);
    top->addWidget(Bussola, 0, 1, 5, 1);
    column->addLayout(top);

    auto* post = new QHBoxLayout;
    CBInverso = Named(new QCheckBox(QStringLiteral("Inverso"), PanelEsq), "CBInverso");
    auto* postBox = new QGroupBox(QStringLiteral("Km Atual"), PanelEsq);
    auto* postLayout = new QHBoxLayout(postBox);
    postLayout->setContentsMargins(4, 0, 4, 2);
    LabelPKAtu = Named(new QLabel(QStringLiteral("Km Atual"), postBox), "LabelPKAtu");
    QFont big = LabelPKAtu->font();
    big.setPointSize(16);
    big.setBold(true);
    LabelPKAtu->setFont(big);
    LabelPKAtu->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    postLayout->addWidget(LabelPKAtu);
    post->addWidget(CBInverso);
    post->addWidget(postBox, 1);
    column->addLayout(post);

    auto* record = new QGridLayout;
    record->setSpacing(2);
    EdRefer = Named(new TDbEdit(TbDados, QStringLiteral("Refer"), PanelEsq), "EdRefer");
    EdHora = Named(new TDbEdit(TbDados, QStringLiteral("Hora"), PanelEsq), "EdHora");
    EdLonTab = Named(new TDbEdit(TbDados, QStringLiteral("Lon"), PanelEsq), "EdLonTab");
    EdLatTab = Named(new TDbEdit(TbDados, QStringLiteral("Lat"), PanelEsq), "EdLatTab");
    EdOdom = Named(new TDbEdit(TbDados, QStringLiteral("Odom"), PanelEsq), "EdOdom");
    EdPK = Named(new TDbEdit(TbDados, QStringLiteral("PK"), PanelEsq), "EdPK");
    EdObs = Named(new TDbEdit(TbDados, QStringLiteral("Obs"), PanelEsq), "EdObs");
    const std::pair<const char*, QWidget*> cells[] = { { "Ref:", EdRefer }, { "Hora", EdHora },
        { "Lon", EdLonTab }, { "Lat", EdLatTab }, { "Od.", EdOdom }, { "Km", EdPK } };
    for (int i = 0; i < 6; ++i) {
        record->addWidget(new QLabel(QString::fromUtf8(cells[i].first), PanelEsq), i / 2, (i % 2) * 2);
        record->addWidget(cells[i].second, i / 2, (i % 2) * 2 + 1);
    }
    record->addWidget(new QLabel(QStringLiteral("Obs"), PanelEsq), 3, 0);
    record->addWidget(EdObs, 3, 1, 1, 3);
    column->addLayout(record);

    auto* keys = new QHBoxLayout;
    keys->addWidget(new QLabel(QStringLiteral("Calc.Km F5/F6 "), PanelEsq));
    CalcPK = Named(new QLineEdit(PanelEsq), "CalcPK");
    CalcPK->setMaximumWidth(80);
    BtNovo = Button("BtNovo", QStringLiteral("Novo F7"), PanelEsq);
    BtSalvar = Button("BtSalvar", QStringLiteral("Salvar F8"), PanelEsq);
    keys->addWidget(CalcPK);
    keys->addWidget(BtNovo);
    keys->addWidget(BtSalvar);
    column->addLayout(keys);

    auto* track = new QHBoxLayout;
    CbTrilha = Named(new QCheckBox(QStringLiteral("Marcar trilha"), PanelEsq), "CbTrilha");
    BtLimparTrilha = Button("BtLimparTrilha", QStringLiteral("Limpar"), PanelEsq);
    BtTam = Button("BtTam", QStringLiteral("<-"), PanelEsq);
    BtTam->setFixedWidth(36);
    track->addWidget(CbTrilha);
    track->addWidget(BtLimparTrilha);
    track->addStretch();
    track->addWidget(BtTam);
    column->addLayout(track);
    column->addWidget(CreateOdometers());
    column->addStretch();

    connect(SwGPS, &QCheckBox::clicked, this, [this] { SwGPSClick(); });
    connect(BtNovo, &QPushButton::clicked, this, [this] { BtNovoClick(); });
    connect(BtSalvar, &QPushButton::clicked, this, [this] { BtSalvarClick(); });
    connect(BtLimparTrilha, &QPushButton::clicked, this, [this] { BtLimparTrilhaClick(); });
    connect(BtTam, &QPushButton::clicked, this, [this] { BtTamClick(); });
    return PanelEsq;
}

QWidget* TFormRastr::CreateOdometers()
{
    auto* box = new QGroupBox(PanelEsq);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setSpacing(2);
    QLineEdit** edits[] = { &EdOdom1, &EdOdom2, &EdOdom3 };
    QPushButton** zeros[] = { &BtOdom1, &BtOdom2, &BtOdom3 };
    QCheckBox** switches[] = { &CBOdom1, &CBOdom2, &CBOdom3 };
    QRadioButton** choices[] = { &RBOdom1, &RBOdom2, &RBOdom3 };
    for (int i = 0; i < TSurveyState::OdometerCount; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        *edits[i] = Readout(("EdOdom" + n).constData(), box);
        *zeros[i] = Button(("BtOdom" + n).constData(), QStringLiteral("Zerar"), box);
        *switches[i] = Named(new QCheckBox(QStringLiteral("Liga"), box), ("CBOdom" + n).constData());
        *choices[i] = Named(new QRadioButton(QStringLiteral("Sel."), box), ("RBOdom" + n).constData());
        grid->addWidget(new QLabel(QStringLiteral("Odômetro %1").arg(i + 1), box), i, 0);
        grid->addWidget(*edits[i], i, 1);
        grid->addWidget(*zeros[i], i, 2);
        grid->addWidget(*switches[i], i, 3);
        grid->addWidget(*choices[i], i, 4);
        connect(*zeros[i], &QPushButton::clicked, this, [this, i] { BtOdomClick(i); });
        connect(*switches[i], &QCheckBox::clicked, this, [this] { CBOdom1Click(); });
        connect(*choices[i], &QRadioButton::clicked, this, [this] { RBOdom1Click(); });
    }
    return box;
}

QFrame* TFormRastr::CreatePanelDados()
{
    PanelDados = Named(new QFrame(this), "PanelDados");
    auto* column = new QVBoxLayout(PanelDados);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    GridDados = Named(new TDbGrid(TbDados,
                          { { QStringLiteral("Refer"), 43 }, { QStringLiteral("PK"), 41 },
                              { QStringLiteral("Odom"), 49 }, { QStringLiteral("Obs"), 162 } },
                          PanelDados),
        "GridDados");
    // The columns are narrow: a small font keeps "000001" and "101.5" whole.
    QFont small(QStringLiteral("Arial"));
    small.setPixelSize(10);
    GridDados->setFont(small);
    GridDados->horizontalHeader()->setFont(small);
    NavDados = Named(new TDbNavigator(TbDados, PanelDados), "NavDados");
    column->addWidget(GridDados, 1);
    column->addWidget(NavDados);
    return PanelDados;
}

void TFormRastr::PreviewKeys(QWidget& widget)
{
    widget.installEventFilter(this);
    for (QWidget* child : widget.findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool TFormRastr::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier)
            if (GridDadosKeyDown(key->key()))
                return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TFormRastr::GridDadosKeyDown(int key)
{
    switch (key) {
    case Qt::Key_F5:
        CalcPK->setText(KmText(Survey.CurrentPK));
        CalcPK->setFocus();
        CalcPK->selectAll();
        return true;
    case Qt::Key_F6:
        F6SetPK();
        return true;
    case Qt::Key_F7:
        BtNovoClick();
        return true;
    case Qt::Key_F8:
        BtSalvarClick();
        return true;
    case Qt::Key_F9:
        NovoComObs(QStringLiteral("{Esp}"));
        return true;
    default:
        return false;
    }
}

void TFormRastr::F6SetPK()
{
    double km = 0;
    if (!ParseKm(CalcPK->text(), km)) {
        ShowMessage(QStringLiteral("\"%1\" não é um número de quilômetro. O Km Atual continua %2.")
                        .arg(CalcPK->text(), KmText(Survey.CurrentPK)));
        CalcPK->setFocus();
        return;
    }
    Survey.CurrentPK = km;
    ShowPK();
    BtNovo->setFocus();
}

void TFormRastr::Guarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const EDbTableError& error) {
        ShowMessage(QString::fromStdString(error.what()));
    }
}

void TFormRastr::BtNovoClick()
{
    NovoComObs(QString());
}

void TFormRastr::NovoComObs(const QString& obs)
{
    Guarded([&] {
        if (!TbDados.Active())
            OpenTbDados();
        TbDados.Append();
        if (!obs.isEmpty())
            TbDados.SetFieldValue(QStringLiteral("Obs"), obs);
        EdObs->setFocus();
    });
}

void TFormRastr::TbDadosBeforeInsert()
{
    Survey.NextRefer = NextKeyValue(TbDados, QStringLiteral("Refer")).toString();
}

void TFormRastr::TbDadosAfterInsert()
{
    TNavigationState& nav = m_host->Navigation();
    if (!Survey.NextRefer.isEmpty())
        TbDados.SetFieldValue(QStringLiteral("Refer"), Survey.NextRefer);
    TbDados.SetFieldValue(QStringLiteral("Hora"), QDateTime::currentDateTime());
    TbDados.SetFieldValue(QStringLiteral("Lon"), nav.CurrentFix.Long);
    TbDados.SetFieldValue(QStringLiteral("Lat"), nav.CurrentFix.Lat);
    TbDados.SetFieldValue(QStringLiteral("PK"), RoundToTenth(Survey.CurrentPK));
    double odometer = 0;
    if (Survey.SelectedOdometer(odometer))
        TbDados.SetFieldValue(QStringLiteral("Odom"), RoundToTenth(odometer));
    nav.ForceTrackPoint = true;
    if (CbTrilha->isChecked())
        TrataTrilha();
    EdObs->setFocus();
}

void TFormRastr::BtSalvarClick()
{
    Guarded([&] {
        if (!TbDados.Active())
            return;
        TbDados.CheckBrowseMode();
        // Another program may have written to the table meanwhile.
        TbDados.Refresh();
        TbDados.Last();
        BtNovo->setFocus();
    });
}

bool TFormRastr::PostPending()
{
    if (!TbDados.Active() || !TbDados.Editing())
        return true;
    try {
        TbDados.Post();
        return true;
    } catch (const EDbTableError& error) {
        ShowMessage(QString::fromStdString(error.what()));
        return false;
    }
}

void TFormRastr::OpenTbDados()
{
    if (!TbDados.Exists())
        CriaTbDados(TbDados);
    TbDados.Open();
}

void TFormRastr::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormActivate();
}

void TFormRastr::FormActivate()
{
    m_open = true;
    if (!TbDados.Active())
        Guarded([&] { OpenTbDados(); });
    SwGPS->setChecked(m_host->Receiver().Active());
    m_host->ProvideMovingMarker();
    ShowPK();
    ShowOdometers();
    for (int i = 0; i < TSurveyState::OdometerCount; ++i) {
        // An exclusive radio button cannot be unchecked while it is checked.
        OdometerChoice(i)->setAutoExclusive(false);
        OdometerChoice(i)->setChecked(Survey.Selected(i));
        OdometerChoice(i)->setAutoExclusive(true);
        OdometerSwitch(i)->setChecked(Survey.Running(i));
    }
}

void TFormRastr::closeEvent(QCloseEvent* event)
{
    if (!PostPending()) {
        event->ignore();
        return;
    }
    FormClose();
    QWidget::closeEvent(event);
}

void TFormRastr::FormClose()
{
    TGPS& receiver = m_host->Receiver();
    if (receiver.Active()) {
        receiver.SetActive(false);
        SwGPS->setChecked(false);
    }
    TbDados.Close();
    TbTrilha.Close();
    m_open = false;
    // The menu caption follows the window however it was closed.
    if (m_menuItem)
        m_menuItem->setText(QStringLiteral("Ativar"));
}

void TFormRastr::Ativar1Click(QAction& item)
{
    m_menuItem = &item;
    if (m_open) {
        close();
        return;
    }
    item.setText(QStringLiteral("Desativar"));
    MudarTabeladeDados1Click();
    show();
    raise();
    activateWindow();
}

void TFormRastr::MudarTabeladeDados1Click()
{
    if (m_open) {
        if (!PostPending())
            return;
        TbDados.Close();
    }
    TbTrilha.Close();
    OpenDialogTbDados->selectFile(QString());
    QString path;
    if (OpenDialogTbDados->exec() == QDialog::Accepted && !OpenDialogTbDados->selectedFiles().isEmpty()) {
        path = OpenDialogTbDados->selectedFiles().constFirst();
        if (!QFileInfo(path).fileName().toUpper().contains(QLatin1String(".DB")))
            path += QStringLiteral(".DB");
    } else {
        path = m_host->DefaultTablePath();
    }
    TbDados.SetTableName(path);
    if (m_open)
        Guarded([&] { OpenTbDados(); });
}

void TFormRastr::SwGPSClick()
{
    TGPS& receiver = m_host->Receiver();
    receiver.SetActive(SwGPS->isChecked());
    if (SwGPS->isChecked() && !receiver.Active()) {
        SwGPS->setChecked(false);
        ShowMessage(QStringLiteral("Porta do GPS: ") + receiver.OpenErrorText());
    }
}

void TFormRastr::GPSMinGPSData(bool, TDateTime FixDateTime, double Latitude, double Longitude, double Speed,
    double Course, double)
{
    if (Latitude == 0 && Longitude == 0)
        return;
    TNavigationState& nav = m_host->Navigation();
    EdLat->setText(m_host->CoordText(u"Lat", Latitude));
    EdLon->setText(m_host->CoordText(u"Lon", -Longitude));
    // The receiver's time is already the computer's local time.
    nav.FixTime = FixDateTime;
    EdHoraGPS->setText(toQDateTime(nav.FixTime).toString(QStringLiteral("dd/MM/yy hh:mm:ss")));
    EdVeloc->setText(QLocale().toString(Speed, 'f', 2) + QStringLiteral(" km/h"));
    nav.SpeedShown = Speed;
    nav.CourseDeg = Course;
    Bussola->SetHeading(Course);
    nav.CurrentFix = { DegToGU(-Longitude), DegToGU(Latitude), 0 };
    CalculaPK();
    if (nav.MovingMarker)
        m_host->PlaceMarker(Course);
    if (Survey.PKStep != 0 && CbTrilha->isChecked())
        Guarded([&] { TrataTrilha(); });
    nav.EarlierFix = nav.PreviousFix;
    nav.PreviousFix = nav.CurrentFix;
    nav.HasPreviousFix = true;
    nav.PreviousFixTime = nav.FixTime;
    nav.PreviousCourseDeg = nav.CourseDeg;
    nav.PreviousSpeedShown = nav.SpeedShown;
}

void TFormRastr::CalculaPK()
{
    const TNavigationState& nav = m_host->Navigation();
    Survey.CalculaPK(nav.CurrentFix, nav.PreviousFix, CBInverso->isChecked());
    ShowPK();
    ShowOdometers();
}

void TFormRastr::TrataTrilha()
{
    TNavigationState& nav = m_host->Navigation();
    TGeoDataObject* track = m_host->ProvideTrackObject();
    if (!track)
        return;
    const bool append = TrackPointDue(nav, track->Chains.Chain(0).Count(), Survey.CurrentPK);
    nav.ForceTrackPoint = false;
    if (!append)
        return;
    // Loaded before the new point goes in, so the first point is kept.
    if (!TbTrilha.Active())
        ResolveTbTrilha();
    track->Chains.Chain(0).Add({ nav.CurrentFix.Long, nav.CurrentFix.Lat, 0 });
    TbTrilha.Append();
    TbTrilha.SetFieldValue(QStringLiteral("Refer"), TbDados.FieldValue(QStringLiteral("Refer")));
    TbTrilha.SetFieldValue(QStringLiteral("Lon"), nav.CurrentFix.Long);
    TbTrilha.SetFieldValue(QStringLiteral("Lat"), nav.CurrentFix.Lat);
    TbTrilha.SetFieldValue(QStringLiteral("Hora"), toQDateTime(nav.FixTime));
    TbTrilha.SetFieldValue(QStringLiteral("PK"), RoundToTenth(Survey.CurrentPK));
    TbTrilha.Post();
    track->Changed();
    m_host->RedrawGlobe();
}

void TFormRastr::ResolveTbTrilha()
{
    TbTrilha.Close();
    TbTrilha.SetTableName(TrackTablePath(TbDados.TableName()));
    if (!TbTrilha.Exists())
        CriaTbTrilha(TbTrilha);
    TbTrilha.Open();
    TGeoDataObject* track = m_host->ProvideTrackObject();
    if (!track)
        return;
    TPointStore& chain = track->Chains.Chain(0);
    chain.SetCount(0);
    for (TbTrilha.First(); !TbTrilha.Eof(); TbTrilha.Next())
        chain.Add({ TbTrilha.FieldValue(QStringLiteral("Lon")).toInt(),
            TbTrilha.FieldValue(QStringLiteral("Lat")).toInt(), 0 });
    track->Changed();
}

void TFormRastr::BtLimparTrilhaClick()
{
    Guarded([&] {
        if (!TbTrilha.Active())
            ResolveTbTrilha();
        TbTrilha.EmptyTable();
        if (TGeoDataObject* track = m_host->ProvideTrackObject()) {
            track->Chains.Chain(0).SetCount(0);
            track->Changed();
        }
        m_host->RedrawGlobe();
    });
}

void TFormRastr::BtOdomClick(int odometer)
{
    Survey.Odometer(odometer) = 0;
    OdometerEdit(odometer)->setText(KmText(0));
}

void TFormRastr::RBOdom1Click()
{
    for (int i = 0; i < TSurveyState::OdometerCount; ++i)
        Survey.Selected(i) = OdometerChoice(i)->isChecked();
}

void TFormRastr::CBOdom1Click()
{
    for (int i = 0; i < TSurveyState::OdometerCount; ++i)
        Survey.Running(i) = OdometerSwitch(i)->isChecked();
}

void TFormRastr::BtTamClick()
{
    if (width() > WideWidth - 1) {
        PanelDados->hide();
        resize(PanelEsq->width() + 8, height());
        BtTam->setText(QStringLiteral("->"));
    } else {
        PanelDados->show();
        resize(WideWidth, height());
        BtTam->setText(QStringLiteral("<-"));
    }
}

void TFormRastr::ShowPK()
{
    LabelPKAtu->setText(KmText(Survey.CurrentPK));
}

void TFormRastr::ShowOdometers()
{
    for (int i = 0; i < TSurveyState::OdometerCount; ++i)
        OdometerEdit(i)->setText(KmText(Survey.Odometer(i)));
}

QLineEdit* TFormRastr::OdometerEdit(int i) const
{
    QLineEdit* const edits[] = { EdOdom1, EdOdom2, EdOdom3 };
    return edits[i];
}

QCheckBox* TFormRastr::OdometerSwitch(int i) const
{
    QCheckBox* const boxes[] = { CBOdom1, CBOdom2, CBOdom3 };
    return boxes[i];
}

QRadioButton* TFormRastr::OdometerChoice(int i) const
{
    QRadioButton* const buttons[] = { RBOdom1, RBOdom2, RBOdom3 };
    return buttons[i];
}
