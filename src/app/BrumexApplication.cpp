#include "app/BrumexApplication.h"

#include <QMessageBox>
#include <exception>

TBrumexApplication::TBrumexApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    SetIdentity();
}

void TBrumexApplication::SetIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Morvenko"));
    QCoreApplication::setApplicationName(QStringLiteral("Brumex"));
}

bool TBrumexApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportFailure(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ReportFailure(QStringLiteral("Erro inesperado."));
    }
    return false;
}

void TBrumexApplication::SetFailureReporter(TFailureReporter reporter)
{
    m_reporter = std::move(reporter);
}

void TBrumexApplication::ReportFailure(const QString& message)
{
    if (m_reporter) {
        m_reporter(message);
        return;
    }
    // The message box runs its own event loop; a second failure while it is
    // open must not stack another box on top of it.
    if (m_reporting)
        return;
    m_reporting = true;
    QMessageBox::critical(activeWindow(), applicationName(), message);
    m_reporting = false;
}
