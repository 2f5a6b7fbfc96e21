// The program's QApplication. A failure that escapes an event handler is
// caught here, at the edge of Qt's event delivery, and shown to the user; the
// program goes on with the next event.
#pragma once

#include <QApplication>
#include <functional>

class TBrumexApplication : public QApplication {
public:
    using TFailureReporter = std::function<void(const QString& message)>;

    TBrumexApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Replaces the message box (tests record the message instead).
    void SetFailureReporter(TFailureReporter reporter);

    // Organisation and program names: they place the settings and the
    // per-user data folder.
    static void SetIdentity();

private:
    void ReportFailure(const QString& message);

    TFailureReporter m_reporter;
    bool m_reporting = false;
};
