// An event dispatcher that dispatches nothing. moduleflash never runs an event
// loop: every wait blocks on the port's or socket's own descriptor. Qt's
// default dispatcher would still book every socket notifier that the devices
// switch on and off around each read and write, and wake its loop for each
// (two system calls per exchange); this one keeps no books and wakes nothing.
// Installed before the application object, which then creates no other.
// POSIX only: there the serial port and the socket poll their descriptors in
// every wait; the Windows serial port is left to Qt's own dispatcher.
#pragma once

#include <QAbstractEventDispatcher>

class InertEventDispatcher final : public QAbstractEventDispatcher {
public:
    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;
    bool hasPendingEvents() override;
    void registerSocketNotifier(QSocketNotifier* notifier) override;
    void unregisterSocketNotifier(QSocketNotifier* notifier) override;
    void registerTimer(int timerId, int interval, Qt::TimerType timerType, QObject* object) override;
    bool unregisterTimer(int timerId) override;
    bool unregisterTimers(QObject* object) override;
    QList<TimerInfo> registeredTimers(QObject* object) const override;
    int remainingTime(int timerId) override;
    void wakeUp() override;
    void interrupt() override;
    void flush() override;
};
