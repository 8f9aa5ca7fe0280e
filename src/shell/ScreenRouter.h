#pragma once

#include "ScreenController.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <vector>

class NavigationController;

/// Lays screens over the window. A screen is its controller and the address of its QML view; the
/// router owns the controller until the screen has closed, and the window's overlay layer creates
/// and removes the view as the router announces. Features open each other's screens through it.
class ScreenRouter : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by the shell")
    /// How many screens lie over the main screen.
    Q_PROPERTY(int openCount READ openCount NOTIFY openCountChanged)
public:
    explicit ScreenRouter(NavigationController *navigation, QObject *parent = nullptr);
    ~ScreenRouter() override;

    [[nodiscard]] int openCount() const { return int(m_open.size()); }
    /// The open screens, the topmost last.
    [[nodiscard]] QList<ScreenController *> openScreens() const;

    /// Opens @p controller's screen with the view at @p view, over a blurred picture of the
    /// window when @p blurredBackground. Takes the controller.
    void open(const QUrl &view, ScreenController *controller, bool blurredBackground = true);

Q_SIGNALS:
    /// The overlay layer creates the view for @p controller.
    void screenOpened(const QUrl &view, ScreenController *controller, bool blurredBackground);
    /// The overlay layer removes the view of @p controller, which is then deleted.
    void screenClosed(ScreenController *controller);
    void openCountChanged();

private:
    NavigationController *m_navigation;
    std::vector<QPointer<ScreenController>> m_open;
};
