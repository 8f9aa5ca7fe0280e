#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class AppCore;

/// The first-launch guide: shown until the user leaves it with the start button, which works
/// only while the agreement check box is ticked.
class GuideController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    /// Whether the guide is on screen.
    Q_PROPERTY(bool visible READ isVisible NOTIFY visibleChanged)
    /// Whether the agreement check box is ticked (it starts ticked).
    Q_PROPERTY(bool checked READ isChecked NOTIFY checkedChanged)
    /// The check box image: "guide_check_selected.png" ticked, "guide_check.png" not.
    Q_PROPERTY(QString checkImage READ checkImage NOTIFY checkedChanged)
    /// Whether the start button (tag 88) can be used.
    Q_PROPERTY(bool startEnabled READ isChecked NOTIFY checkedChanged)
    /// The guide's text under the pictures.
    Q_PROPERTY(QString text READ text CONSTANT)
    Q_PROPERTY(QString startTitle READ startTitle CONSTANT)
    Q_PROPERTY(QString agreeWord READ agreeWord CONSTANT)
    Q_PROPERTY(QString agreementTitle READ agreementTitle CONSTANT)
    /// The page on screen (0: the pictures, 1: the start button and the agreement).
    Q_PROPERTY(int page READ page WRITE setPage NOTIFY pageChanged)
    Q_PROPERTY(int pageCount READ pageCount CONSTANT)
    /// The names of the check box and the pages' pictures, for screen readers.
    Q_PROPERTY(QString checkName READ checkName CONSTANT)
public:
    explicit GuideController(QObject *parent = nullptr);

    [[nodiscard]] bool isVisible() const { return m_visible; }
    [[nodiscard]] bool isChecked() const { return m_checked; }
    [[nodiscard]] QString checkImage() const;
    [[nodiscard]] QString text() const;
    [[nodiscard]] QString startTitle() const;
    [[nodiscard]] QString agreeWord() const;
    [[nodiscard]] QString agreementTitle() const;
    [[nodiscard]] int page() const { return m_page; }
    void setPage(int page);
    [[nodiscard]] int pageCount() const { return 2; }
    [[nodiscard]] QString checkName() const;

    /// Puts the guide on screen (the core calls this at start while it has not been completed).
    void show();
    /// Toggles the agreement check box.
    Q_INVOKABLE void tappedCheckButton();
    /// Leaves the guide when the agreement is accepted; the view fades out and then calls
    /// finishDismiss().
    Q_INVOKABLE bool tappedStartButton();
    /// The fade-out ended: the guide is gone and remembered as completed.
    Q_INVOKABLE void finishDismiss();
    /// The agreement resource the link opens.
    Q_INVOKABLE QString agreementResource() const;

Q_SIGNALS:
    void visibleChanged();
    void checkedChanged();
    void pageChanged();
    /// The start button was accepted: the view animates the opacity to 0 over 0.5 s.
    void dismissRequested();
    /// The user asked for the agreement.
    void showAgreementRequested(const QString &resource);

public:
    Q_INVOKABLE void tappedShowUserAgreementButton();

private:
    bool m_visible = false;
    bool m_checked = true;
    bool m_dismissing = false;
    int m_page = 0;
};
