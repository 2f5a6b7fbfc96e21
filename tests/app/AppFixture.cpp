#include "AppFixture.h"

#include "app/BrumexApplication.h"
#include "app/Vars.h"
#include "survey/SurveyState.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

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
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, texts = m_modalTexts] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            texts->append(box->text());
        modal->close();
        timer->deleteLater();
    });
    timer->start();
}
