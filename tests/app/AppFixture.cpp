#include "AppFixture.h"
#include "ToolDialogs.h"
#include "common/AnswerTimer.h"

#include "app/BrumexApplication.h"
#include "app/Vars.h"
#include "survey/SurveyState.h"

#include "formats/GlobeLYRWriter.h"
#include "geo/GeoDataObject.h"
#include "geo/GeoMath.h"
#include "platform/Cp1252.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

void AppFixture::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    TBrumexApplication::SetIdentity();
    m_oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", DataHome().toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path() + "/config");
    Vars = TVars {};
    Survey = TSurveyState {};
}

void AppFixture::TearDown()
{
    m_main.reset();
    qputenv("XDG_DATA_HOME", m_oldDataHome);
}

std::unique_ptr<QSettings> AppFixture::Store() const
{
    auto settings
        = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Morvenko", "Brumex");
    settings->beginGroup("Conf");
    return settings;
}

QString AppFixture::StoreFile() const
{
    return m_dir.path() + "/config/Morvenko/Brumex.conf";
}

TFormBrumex& AppFixture::CreateWindows()
{
    m_main = CreateAppWindows();
    return *m_main;
}

void AppFixture::CloseNextModal()
{
    QTimer* timer = NewAnswerTimer(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, texts = m_modalTexts] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            texts->append(box->text());
        modal->close();
        timer->deleteLater();
    });
}

void AppFixture::Answer(QMessageBox::StandardButton button)
{
    OnNextModal<QMessageBox>([button, asked = m_asked](QMessageBox& box) {
        asked->append(box.windowTitle() + "|" + box.text());
        box.button(button)->click();
    });
}

void AppFixture::ChooseFile(const QString& file)
{
    OnNextModal<QFileDialog>([file](QFileDialog& dialog) {
        if (file.isEmpty()) {
            dialog.reject();
            return;
        }
        dialog.selectFile(file);
        QMetaObject::invokeMethod(&dialog, "accept");
    });
}

QString AppFixture::WriteSquaresLayer(const QString& file, int squares)
{
    TGlobe4 scratch;
    TGlobeLayer& layer = scratch.LayerStore()->CreateLayer("TGlobeLayer");
    for (int i = 0; i < squares; ++i) {
        auto* object = new TGeoDataObject(&layer.ObjectSource());
        object->Title = "Q" + std::to_string(i);
        const int32_t x = (i * 20 - 60) * GU_DEGREE, d = 5 * GU_DEGREE;
        for (const auto& [dx, dy] : { std::pair { 0, 0 }, { d, 0 }, { d, d }, { 0, d } })
            object->Chains.Chain(0).Add(MakeGeoPoint(int64_t { x } + dx, dy));
        object->State.include(TGlobeObjectState::osClosed);
        object->Changed();
    }
    TGlobeLYRWriter writer(layer);
    EXPECT_TRUE(writer.WriteToFile(toCp1252(file)));
    return file;
}
