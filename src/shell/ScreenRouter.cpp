#include "ScreenRouter.h"

#include "NavigationController.h"
#include "ScreenController.h"

#include <algorithm>

ScreenRouter::ScreenRouter(NavigationController *navigation, QObject *parent)
    : QObject(parent), m_navigation(navigation)
{
}

ScreenRouter::~ScreenRouter()
{
    for (auto &controller : m_open)
        delete controller.data();
}

QList<ScreenController *> ScreenRouter::openScreens() const
{
    QList<ScreenController *> screens;
    for (const auto &controller : m_open)
        if (controller)
            screens.append(controller.data());
    return screens;
}

void ScreenRouter::open(const QUrl &view, ScreenController *controller, bool blurredBackground)
{
    controller->setParent(this);
    m_open.emplace_back(controller);
    connect(controller, &ScreenController::closed, this, [this, controller] {
        std::erase_if(m_open, [controller](const auto &p) { return p == controller || !p; });
        m_navigation->setOverlayOpen(!m_open.empty());
        Q_EMIT screenClosed(controller);
        Q_EMIT openCountChanged();
        controller->deleteLater();
    });
    m_navigation->setOverlayOpen(true);
    Q_EMIT openCountChanged();
    Q_EMIT screenOpened(view, controller, blurredBackground);
}
