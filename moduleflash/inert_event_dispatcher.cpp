#include "inert_event_dispatcher.h"

#include <QCoreApplication>

#include "event_dispatcher.h"

bool InertEventDispatcher::processEvents(QEventLoop::ProcessEventsFlags) { return false; }

bool InertEventDispatcher::hasPendingEvents() { return false; }

void InertEventDispatcher::registerSocketNotifier(QSocketNotifier*) {}

void InertEventDispatcher::unregisterSocketNotifier(QSocketNotifier*) {}

// A timer never fires without a loop; the ids stay Qt's own.
void InertEventDispatcher::registerTimer(int, int, Qt::TimerType, QObject*) {}

bool InertEventDispatcher::unregisterTimer(int) { return true; }

bool InertEventDispatcher::unregisterTimers(QObject*) { return true; }

QList<QAbstractEventDispatcher::TimerInfo> InertEventDispatcher::registeredTimers(QObject*) const { return {}; }

int InertEventDispatcher::remainingTime(int) { return -1; }

void InertEventDispatcher::wakeUp() {}

void InertEventDispatcher::interrupt() {}

void InertEventDispatcher::flush() {}

void chooseEventDispatcher() {
    // Taken over by the application object, which deletes it.
    QCoreApplication::setEventDispatcher(new InertEventDispatcher);
}
