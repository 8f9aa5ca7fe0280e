#pragma once

// The screenshot tour: each screen's shots are steps that put the window into a state, wait
// until it shows, and save a picture of it under the step's name.

#include <QString>

#include <functional>
#include <vector>

class AppShell;
class PcSim;
class QQuickWindow;
struct TestCore;

struct ShotContext
{
    AppShell *shell;
    PcSim *pc;
    QQuickWindow *window;
};

struct Shot
{
    /// The picture's file name, without ".png".
    QString name;
    /// Puts the window into the state.
    std::function<void(ShotContext &)> action;
    /// True once the state shows; the picture is taken then (or the tour fails after 10 s).
    std::function<bool(ShotContext &)> ready = [](ShotContext &) { return true; };
    /// Time for animations to end after ready, in milliseconds.
    int settleMs = 600;
};

/// The shell's shots: guide, main screen in its states, menu, toasts, dialogs, loading views.
void addShellShots(std::vector<Shot> &shots);
/// The shell's screens: connection in each state, feedback, about, introduction, web pages.
void addShellScreenShots(std::vector<Shot> &shots);
/// The main list's shots: every filter's empty picture, the list with every row kind and a
/// download, the filter menu, selection, the delete alert, the text screen and the share sheet.
void addListShots(std::vector<Shot> &shots);
/// The transfer panel's shots: the flight, the waiting state, every kind's result, the failure
/// and the screenshot path.
void addPanelShots(std::vector<Shot> &shots);
