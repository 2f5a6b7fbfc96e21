#include "app/BrumexApplication.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

QStringList reported;

class TThrowingObject : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("Arquivo corrompido");
        if (e->type() == QEvent::User + 1)
            throw 42;
        return QObject::event(e);
    }
};

} // namespace

TEST(BrumexApplication, FailureInAHandlerIsReportedAndTheProgramGoesOn)
{
    reported.clear();
    TThrowingObject object;
    QEvent failing(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &failing));
    QEvent unknown(static_cast<QEvent::Type>(QEvent::User + 1));
    QCoreApplication::sendEvent(&object, &unknown);
    EXPECT_EQ(reported, QStringList({ "Arquivo corrompido", "Erro inesperado." }));
}

TEST(BrumexApplication, FailureInATimerDoesNotStopTheEventLoop)
{
    reported.clear();
    bool laterRan = false;
    QTimer::singleShot(0, [] { throw std::runtime_error("falhou"); });
    QTimer::singleShot(5, [&] {
        laterRan = true;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    EXPECT_EQ(reported, QStringList({ "falhou" }));
    EXPECT_TRUE(laterRan);
}

TEST(BrumexApplication, IdentityPlacesTheSettings)
{
    EXPECT_EQ(QCoreApplication::organizationName(), "Morvenko");
    EXPECT_EQ(QCoreApplication::applicationName(), "Brumex");
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TBrumexApplication app(argc, argv);
    app.SetFailureReporter([](const QString& message) { reported << message; });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
