#include "Keychain.h"

#include <QPointer>

void Keychain::answerLater(QObject *receiver, std::function<void()> answer)
{
    QMetaObject::invokeMethod(
        this,
        [guard = QPointer<QObject>(receiver), guarded = receiver != nullptr,
         answer = std::move(answer)] {
            if (guarded && !guard)
                return;
            answer();
        },
        Qt::QueuedConnection);
}
