#include "common/AnswerTimer.h"

#include <QApplication>
#include <QTimer>

namespace {
const char* const kAnswerTimerName = "brumex-test-answer";
}

QTimer* NewAnswerTimer(int intervalMs)
{
    auto* timer = new QTimer(qApp);
    timer->setObjectName(kAnswerTimerName);
    timer->setInterval(intervalMs);
    timer->start();
    return timer;
}

void DeleteAnswerTimers()
{
    for (QTimer* timer : qApp->findChildren<QTimer*>(kAnswerTimerName, Qt::FindDirectChildrenOnly))
        delete timer;
}
