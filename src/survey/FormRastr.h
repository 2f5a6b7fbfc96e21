// The road survey window "Rastreador": while it is open it takes every
// position report, keeps the kilometre post and three trip odometers, and the
// operator adds one record per feature noted on the road with single keys
// (F5..F9). The survey's track is kept in a second table and drawn on the
// globe.
#pragma once

#include "gps/GpsDateTime.h"
#include "survey/DbTable.h"

#include <QAction>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QFrame;
class TCompass;
class TDbEdit;
class TDbGrid;
class TDbNavigator;
class TSurveyHost;

class TFormRastr : public QWidget {
    Q_OBJECT
public:
    static constexpr int WideWidth = 686;

    TFormRastr(std::unique_ptr<TSurveyHost> host, QWidget* parent = nullptr);
    ~TFormRastr() override;

    // From the main menu "Rastreador": "Ativar"/"Desativar" opens or closes
    // the window (the item's caption follows), "Mudar Rodovia" chooses the
    // survey table.
    void Ativar1Click(QAction& item);
    void MudarTabeladeDados1Click();

    // Open from its activation to its close; only then does it take the reports.
    bool IsOpen() const { return m_open; }
    // One position report (longitude positive west).
    void GPSMinGPSData(bool Warning, TDateTime FixDateTime, double Latitude, double Longitude, double Speed,
        double Course, double MagVariation);

    void FormActivate();
    void FormClose();
    void SwGPSClick();
    void BtNovoClick();
    void BtSalvarClick();
    void BtOdomClick(int odometer);
    void RBOdom1Click();
    void CBOdom1Click();
    void BtLimparTrilhaClick();
    void BtTamClick();

    // Tells the operator of a failure; a message box unless replaced.
    std::function<void(const QString& message)> ShowMessage;

    TDbTable TbDados;
    TDbTable TbTrilha;

    QFrame* PanelEsq;
    QFrame* PanelDados;
    QCheckBox* SwGPS;
    QLineEdit* EdLon;
    QLineEdit* EdLat;
    QLineEdit* EdVeloc;
    QLineEdit* EdHoraGPS;
    TCompass* Bussola;
    QCheckBox* CBInverso;
    QLabel* LabelPKAtu;
    TDbEdit* EdRefer;
    TDbEdit* EdLonTab;
    TDbEdit* EdLatTab;
    TDbEdit* EdHora;
    TDbEdit* EdOdom;
    TDbEdit* EdPK;
    TDbEdit* EdObs;
    QLineEdit* CalcPK;
    QPushButton* BtNovo;
    QPushButton* BtSalvar;
    QCheckBox* CbTrilha;
    QPushButton* BtLimparTrilha;
    QPushButton* BtTam;
    QLineEdit* EdOdom1;
    QLineEdit* EdOdom2;
    QLineEdit* EdOdom3;
    QPushButton* BtOdom1;
    QPushButton* BtOdom2;
    QPushButton* BtOdom3;
    QCheckBox* CBOdom1;
    QCheckBox* CBOdom2;
    QCheckBox* CBOdom3;
    QRadioButton* RBOdom1;
    QRadioButton* RBOdom2;
    QRadioButton* RBOdom3;
    TDbGrid* GridDados;
    TDbNavigator* NavDados;
    QFileDialog* OpenDialogTbDados;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QFrame* CreatePanelEsq();
    QFrame* CreatePanelDados();
    QWidget* CreateOdometers();
    void PreviewKeys(QWidget& widget);
    // F5..F9; false for any other key.
    bool GridDadosKeyDown(int key);
    void F6SetPK();
    void NovoComObs(const QString& obs);
    void TbDadosBeforeInsert();
    void TbDadosAfterInsert();
    void CalculaPK();
    void TrataTrilha();
    void ResolveTbTrilha();
    void OpenTbDados();
    // Posts a record still being appended or edited; false (and a message)
    // when it cannot be written, so the caller keeps the table open.
    bool PostPending();
    void ShowPK();
    void ShowOdometers();
    QLineEdit* OdometerEdit(int i) const;
    QCheckBox* OdometerSwitch(int i) const;
    QRadioButton* OdometerChoice(int i) const;
    // Runs an operator's command; a table failure becomes a message.
    void Guarded(const std::function<void()>& command);

    std::unique_ptr<TSurveyHost> m_host;
    bool m_open = false;
    QPointer<QAction> m_menuItem;
};
