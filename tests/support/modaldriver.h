#pragma once
// Drives a modal dialog that the code under test opens with exec(): the action runs inside the
// dialog's own event loop as soon as a dialog of that class is the active modal widget. When
// none opens before the deadline the action never runs.

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <functional>

namespace orvenna::test {

template <class TDialog>
void WhenModal(std::function<void(TDialog&)> action, int deadlineMs = 5000)
{
    // Owned by the application, so a poll that never found its dialog goes with it.
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    const QDeadlineTimer deadline(deadlineMs);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, deadline, action] {
        auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr && !deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (dialog != nullptr)
            action(*dialog);
    });
    poll->start();
}

}  // namespace orvenna::test
