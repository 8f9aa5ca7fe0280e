#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QVariantMap>

/// Rows of text printed as aligned columns.
class CliTable
{
public:
    enum Alignment { Left, Right };

    /// Columns by their heading (printed only when @p showHeadings) and alignment.
    explicit CliTable(QStringList headings, QList<Alignment> alignments = {},
                      bool showHeadings = true);
    void addRow(QStringList cells);
    [[nodiscard]] bool isEmpty() const { return m_rows.isEmpty(); }
    /// The lines of the table, columns two blanks apart; the last column is not padded.
    [[nodiscard]] QStringList lines() const;

    /// Columns a text takes on a terminal: East Asian wide characters count two.
    [[nodiscard]] static int displayWidth(const QString &text);
    /// The text on one line: line breaks and other control characters become blanks.
    [[nodiscard]] static QString oneLine(const QString &text);

private:
    QStringList m_headings;
    QList<Alignment> m_alignments;
    bool m_showHeadings;
    QList<QStringList> m_rows;
};

/// How zephyr-cli answers: with --json one JSON object per line on stdout for every result and
/// every failure; otherwise text for people, failures on stderr, and progress on stderr when
/// stderr is a terminal.
class CliOutput
{
public:
    explicit CliOutput(bool json);

    [[nodiscard]] bool json() const { return m_json; }

    /// Prints one result: a JSON object per line with --json, else aligned "key: value" lines.
    void print(const QVariantMap &result);
    /// Prints lines for people (nothing with --json).
    void printLines(const QStringList &lines);
    void printTable(const CliTable &table) { printLines(table.lines()); }

    /// Reports a failure: the message on stderr and, with --json, {"error": message} plus
    /// @p details on stdout. Returns the failure exit status 1.
    int fail(const QString &message, const QVariantMap &details = {});
    /// Reports wrong usage the same way, with the usage line; returns the exit status 2.
    int usageError(const QString &message, const QString &usage);

    /// Shows @p line as the progress line on stderr, redrawn in place, at most ten times a
    /// second unless @p force. Nothing unless progress is shown.
    void progress(const QString &line, bool force = false);
    /// Removes the progress line.
    void endProgress();
    [[nodiscard]] bool showsProgress() const { return m_showProgress; }
    /// Progress is shown for people when stderr is a terminal; tests may force it either way.
    void setShowsProgress(bool show) { m_showProgress = show; }

    /// Turns values that travel in payloads (records, lists of them) into plain JSON values.
    [[nodiscard]] static QVariant toPlain(const QVariant &value);

private:
    void writeJson(const QVariantMap &object);

    bool m_json;
    bool m_showProgress;
    bool m_progressShown = false;
    QElapsedTimer m_lastProgress;
};
