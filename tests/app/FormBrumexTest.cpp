#include "AppFixture.h"
#include "app/FormConfig.h"
#include "app/FormEdPonto.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "gps/PseudoTerminal.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

QStringList MenuCaptions(const QMenu* menu)
{
    QStringList captions;
    for (const QAction* action : menu->actions())
        captions << (action->isSeparator() ? QString("-") : action->text());
    return captions;
}

const QMenu* SubMenu(const QMenuBar* bar, const QString& title)
{
    for (const QAction* action : bar->actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}

} // namespace

class FormBrumexTest : public AppFixture {
protected:
    TFormBrumex* form = nullptr;

    void SetUp() override
    {
        AppFixture::SetUp();
        form = &CreateWindows();
    }
};

TEST_F(FormBrumexTest, NineWindowsInOrderWithTheirCaptions)
{
    const std::pair<QString, QString> expected[] = {
        { "FormBrumex", "Brumex" },
        { "FormConfig", "Brumex - Configuração" },
        { "FormEdPointPres", "Point Presenter" },
        { "FormEdPoliPres", "Poli Presenter" },
        { "FormEdPonto", "Ponto" },
        { "FormPresenters", "Traçadores do Layer" },
        { "FormDirSelect", "Seleção de Pasta" },
        { "FormRastr", "Rastreador" },
        { "FormRotas", "Rotas" },
    };
    const std::vector<QWidget*> windows = Windows().InCreationOrder();
    ASSERT_EQ(windows.size(), std::size(expected));
    for (size_t i = 0; i < windows.size(); ++i) {
        ASSERT_NE(windows[i], nullptr);
        EXPECT_EQ(windows[i]->objectName(), expected[i].first);
        EXPECT_EQ(windows[i]->windowTitle(), expected[i].second);
        EXPECT_TRUE(windows[i]->isWindow());
        EXPECT_TRUE(windows[i]->isHidden());
        if (i > 0) {
            EXPECT_EQ(windows[i]->parent(), form);
        }
    }
}

TEST_F(FormBrumexTest, FrameAsDesigned)
{
    EXPECT_EQ(form->size(), QSize(837, 625));
    EXPECT_EQ(form->PanelSup->height(), 45);
    EXPECT_EQ(form->PanelBaixo->height(), 87);
    EXPECT_EQ(form->PanelAbreFecha->width(), 277);
    EXPECT_EQ(form->PanelComAF->text(), "<");
    for (QLabel* label : { form->LabelPosic, form->LabelPosicInf, form->LabelDist, form->LabelDir })
        EXPECT_TRUE(label->text().isEmpty());
    EXPECT_EQ(form->PanelPosic->palette().color(QPalette::Window), QColor(0, 64, 128));
    EXPECT_EQ(form->PanelPosic->palette().color(QPalette::WindowText), QColor(Qt::yellow));
    EXPECT_EQ(form->TBEscWaypt->minimum(), 5);
    EXPECT_EQ(form->TBEscWaypt->maximum(), 100);
    EXPECT_EQ(form->TBEscWaypt->pageStep(), 5);
    EXPECT_EQ(form->TBEscWaypt->value(), 35);
    EXPECT_TRUE(form->BtMedindo->isCheckable());
    EXPECT_EQ(form->BtZoomMais->defaultAction(), form->ZoomMais);
    EXPECT_EQ(form->BtZoomMenos->defaultAction(), form->ZoomMenos);

    const QStringList bottomTabs { "Mapa", "Cartas", "Layers" };
    for (int i = 0; i < bottomTabs.size(); ++i)
        EXPECT_EQ(form->PageControlBrumex->tabText(i), bottomTabs[i]);
    EXPECT_EQ(form->PageControlBrumex->currentWidget(), form->TabSheetLayers);
    const QStringList sideTabs { "Navegação", "Ed. Objetos", "Ed. Cartas" };
    for (int i = 0; i < sideTabs.size(); ++i)
        EXPECT_EQ(form->PageControlGPS->tabText(i), sideTabs[i]);
    EXPECT_EQ(form->PageControlGPS->tabPosition(), QTabWidget::South);

    EXPECT_EQ(form->Globo->objectName(), "Globo");
    EXPECT_EQ(form->Globo->parentWidget(), form->PanelGlobo);
    EXPECT_TRUE(form->PanelEdWaypt->isHidden());
    EXPECT_TRUE(form->PanelMedida->isHidden());
    EXPECT_TRUE(form->PanelAvisoOper->isHidden());
    EXPECT_EQ(form->LabelAvisoOper->text(), "Posicione o cursor e clique para marcar. Shift+Click = Cancela");
    EXPECT_EQ(form->LabelAvisoOper->palette().color(QPalette::WindowText), QColor(Qt::red));

    EXPECT_EQ(form->EditLon->text(), "15");
    EXPECT_EQ(form->EditLat->text(), "15");
    EXPECT_TRUE(form->SpeedButtonEsferica->isChecked());
    EXPECT_TRUE(form->SpeedButtonSemSombra->isChecked());
    EXPECT_FALSE(form->SpeedButtonComSombra->isChecked());

    form->show();
    QApplication::processEvents();
    EXPECT_EQ(form->size(), QSize(837, 625)); // the panels fit the designed size
}

TEST_F(FormBrumexTest, MainMenu)
{
    const QMenuBar* bar = form->MenuBrumex;
    QStringList titles;
    for (const QAction* action : bar->actions())
        titles << action->text();
    EXPECT_EQ(titles, QStringList({ "&Arquivos", "Rastreador", "Waypoints", "Rotas" }));

    const QMenu* arquivos = SubMenu(bar, "&Arquivos");
    ASSERT_NE(arquivos, nullptr);
    EXPECT_EQ(MenuCaptions(arquivos),
        QStringList({ "Cartas (BMP)", "Layers", "Memorizar Layers abertos ao sair", "Sair" }));
    EXPECT_EQ(MenuCaptions(arquivos->actions()[0]->menu()), QStringList({ "Abrir" }));
    EXPECT_EQ(MenuCaptions(arquivos->actions()[1]->menu()), QStringList({ "Abrir" }));
    EXPECT_TRUE(form->MemorizarLayers->isCheckable());
    EXPECT_TRUE(form->MemorizarLayers->isChecked());
    form->MemorizarLayers->trigger();
    EXPECT_FALSE(form->MemorizarLayers->isChecked());

    EXPECT_EQ(MenuCaptions(SubMenu(bar, "Rastreador")), QStringList({ "Ativar", "Mudar Rodovia" }));
    EXPECT_EQ(
        MenuCaptions(SubMenu(bar, "Waypoints")), QStringList({ "Carregar", "Salvar", "Criar Waypoint" }));
    EXPECT_EQ(
        MenuCaptions(SubMenu(bar, "Rotas")), QStringList({ "Carregar", "Salvar", "Nova", "Ver", "Ativar" }));
    EXPECT_FALSE(form->AtivarRota->isEnabled());

    QSignalSpy cartas(form->AbrirCartaBMP, &QAction::triggered);
    // The chart command opens its file dialog: cancel it as a user would.
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    arquivos->actions()[0]->menu()->actions()[0]->trigger();
    EXPECT_EQ(cartas.size(), 1);
}

TEST_F(FormBrumexTest, Actions)
{
    const struct {
        QAction* action;
        QString caption;
        QString category;
        QKeySequence shortcut;
    } expected[] = {
        { form->ZoomMais, "Zoom +", "Mapa", {} },
        { form->ZoomMenos, "Zoom -", "Mapa", {} },
        { form->ZoomMenosP, "Zoom - -", "Mapa", {} },
        { form->ZoomMaisP, "Zoom + -", "Mapa", {} },
        { form->AbrirCartaBMP, "Abrir Carta BMP", "Cartas", QKeySequence("Ctrl+B") },
        { form->AbrirLayer, "Abrir", "Layers", QKeySequence("Ctrl+L") },
    };
    for (const auto& e : expected) {
        EXPECT_EQ(e.action->text(), e.caption);
        EXPECT_EQ(e.action->property("category").toString(), e.category);
        EXPECT_EQ(e.action->shortcut(), e.shortcut) << e.caption.toStdString();
    }
}

TEST_F(FormBrumexTest, KeypadZoomKeys)
{
    QSignalSpy mais(form->ZoomMais, &QAction::triggered);
    QSignalSpy menos(form->ZoomMenos, &QAction::triggered);
    QSignalSpy maisP(form->ZoomMaisP, &QAction::triggered);
    QSignalSpy menosP(form->ZoomMenosP, &QAction::triggered);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QSignalSpy* fired; // nullptr: no zoom at all
    } cases[] = {
        { Qt::Key_Plus, Qt::KeypadModifier, &maisP },
        { Qt::Key_Plus, Qt::KeypadModifier | Qt::ShiftModifier, &mais },
        { Qt::Key_Minus, Qt::KeypadModifier, &menosP },
        { Qt::Key_Minus, Qt::KeypadModifier | Qt::ShiftModifier, &menos },
        { Qt::Key_Plus, Qt::NoModifier, nullptr },
        { Qt::Key_Plus, Qt::ShiftModifier, nullptr },
        { Qt::Key_Minus, Qt::NoModifier, nullptr },
        { Qt::Key_Asterisk, Qt::KeypadModifier, nullptr },
    };
    // Keys reach the window first, whichever control has the focus: the
    // window itself, a button that lets the key travel up, an edit box.
    QWidget* receivers[] = { form, form->BtConfig, form->EditLon };
    for (QWidget* receiver : receivers) {
        if (receiver != form)
            receiver->setFocus();
        for (const auto& c : cases) {
            const qsizetype before[] = { mais.size(), menos.size(), maisP.size(), menosP.size() };
            QTest::keyClick(receiver, c.key, c.modifiers);
            const qsizetype after[] = { mais.size(), menos.size(), maisP.size(), menosP.size() };
            const QSignalSpy* spies[] = { &mais, &menos, &maisP, &menosP };
            for (int s = 0; s < 4; ++s)
                EXPECT_EQ(after[s] - before[s], spies[s] == c.fired ? 1 : 0)
                    << receiver->objectName().toStdString() << " key " << c.key << " spy " << s;
        }
    }
}

TEST_F(FormBrumexTest, SidePanelSlidesClosedAndOpen)
{
    form->show();
    const int openGlobe = form->Globo->width();
    form->PanelComAFClick();
    EXPECT_EQ(form->PanelAbreFecha->width(), 19);
    EXPECT_EQ(form->PanelComAF->text(), ">");
    QApplication::processEvents();
    EXPECT_EQ(form->Globo->width(), openGlobe + 277 - 19);

    form->PanelComAF->click();
    EXPECT_EQ(form->PanelAbreFecha->width(), 277);
    EXPECT_EQ(form->PanelComAF->text(), "<");
}

TEST_F(FormBrumexTest, WaypointIconPanelFollowsTheWindowHeight)
{
    form->show();
    for (const int height : { 625, 800, 500, 300 }) {
        form->resize(837, height);
        QApplication::processEvents();
        EXPECT_EQ(form->PanelEdWaypt->height(), std::max(0, form->PageControlGPS->height() - 174)) << height;
        EXPECT_EQ(form->PanelEdWaypt->geometry().bottom(), form->TabSheetEdObjetos->height() - 1);
    }
}

TEST_F(FormBrumexTest, FirstActivationResetsTheRunState)
{
    QSignalSpy port(Windows().FormConfig, &TFormConfig::SerialPortChosen);
    QSignalSpy address(Windows().FormConfig, &TFormConfig::NetworkAddressChosen);
    Vars.RouteEditMode = true;
    Vars.ChartMoveMode = true;
    Vars.SavedLayerFiles = QStringList { "a.lyr" };
    form->LastDataSource = "GPSMinData";
    form->PanelAvisoOper->show();

    form->FormActivate();
    EXPECT_FALSE(Vars.FirstActivation);
    EXPECT_FALSE(Vars.RouteEditMode);
    EXPECT_FALSE(Vars.ChartMoveMode);
    EXPECT_TRUE(Vars.SavedLayerFiles.isEmpty());
    ASSERT_NE(Vars.ChainClipboard, nullptr);
    EXPECT_EQ(Vars.ChainClipboard->Count(), 0);
    EXPECT_TRUE(form->LastDataSource.isEmpty());
    EXPECT_TRUE(form->PanelAvisoOper->isHidden());
    EXPECT_TRUE(form->LabelAvisoOper->text().isEmpty());
    ASSERT_GE(port.size(), 1);
    EXPECT_EQ(port.last()[0].toInt(), 0);
    EXPECT_EQ(port.last()[1].toString(), "/dev/ttyUSB0");
    ASSERT_GE(address.size(), 1);
    EXPECT_EQ(address.last()[0].toString(), "192.168.0.10");
    EXPECT_EQ(address.last()[1].toInt(), 23);

    // Later activations leave the run state alone.
    Vars.SavedLayerFiles = QStringList { "b.lyr" };
    form->FormActivate();
    EXPECT_EQ(Vars.SavedLayerFiles, QStringList { "b.lyr" });
}

TEST_F(FormBrumexTest, PointEditorCancelsTheClose)
{
    form->FormActivate();
    Windows().FormConfig->CbUnMed->setCurrentIndex(2);
    Windows().FormEdPonto->PointEditActive = true;
    EXPECT_FALSE(form->FormClose());
    EXPECT_EQ(Store()->value("UnMed").toInt(), 0);

    Windows().FormEdPonto->PointEditActive = false;
    EXPECT_TRUE(form->FormClose());
    EXPECT_EQ(Store()->value("UnMed").toInt(), 2);
}

TEST_F(FormBrumexTest, SettingsChooseTheReceiverPortAndDevice)
{
    Store()->setValue("PortGPS", "COM3");
    Store()->setValue("DispCOM3", "/dev/ttyGPS");
    form->FormActivate();
    EXPECT_EQ(form->GPS.Port(), TCommName::cnCOM3);
    EXPECT_EQ(form->GPS.PortDevice(TCommName::cnCOM3), "/dev/ttyGPS");
}

TEST_F(FormBrumexTest, CloseCancelledByThePointEditorStillStopsTheReceiver)
{
    TPseudoTerminal receiver;
    ASSERT_TRUE(receiver.Open()) << receiver.ErrorText().toStdString();
    form->FormActivate();
    form->GPS.SetPortDevice(form->GPS.Port(), receiver.SlavePath());
    form->GPS.SetActive(true);
    ASSERT_TRUE(form->GPS.Active()) << form->GPS.OpenErrorText().toStdString();

    Windows().FormEdPonto->PointEditActive = true;
    EXPECT_FALSE(form->FormClose());
    EXPECT_FALSE(form->GPS.Active());
    Windows().FormEdPonto->PointEditActive = false;
}

TEST_F(FormBrumexTest, PointEditorIsActiveFromActivationUntilItCloses)
{
    TFormEdPonto* editor = Windows().FormEdPonto;
    editor->show();
    editor->activateWindow();
    QApplication::processEvents();
    if (!editor->isActiveWindow())
        GTEST_SKIP() << "this platform does not activate windows";
    EXPECT_TRUE(editor->PointEditActive);
    editor->close();
    EXPECT_FALSE(editor->PointEditActive);
}

TEST_F(FormBrumexTest, SairClosesTheWindow)
{
    form->FormActivate();
    form->show();
    const QMenu* arquivos = SubMenu(form->MenuBrumex, "&Arquivos");
    arquivos->actions().last()->trigger();
    EXPECT_TRUE(form->isHidden());
    EXPECT_TRUE(QFile::exists(StoreFile()));
}

TEST_F(FormBrumexTest, ConfigButtonOpensTheSettingsModally)
{
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        wasModal = QApplication::activeModalWidget() == Windows().FormConfig;
        Windows().FormConfig->close();
    });
    form->BtConfig->click();
    EXPECT_TRUE(wasModal);
}
