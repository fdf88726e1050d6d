#pragma once
// Runs the event loop (without sleeping between events, unlike a pump) until done() holds or
// ms pass. The bound is against a hang only: a test waits for done(), never for the time.

#include <QEventLoop>
#include <QObject>
#include <QTimer>

template <class Pred> bool LoopUntil(Pred done, int ms = 60000) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    check.start(5);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (!done()) {
        loop.exec();
    }
    return done();
}
