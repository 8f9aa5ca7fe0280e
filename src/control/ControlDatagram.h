#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <optional>

/// The datagram format of the control channel, both ways, as pure functions: one JSON object
/// per datagram, serialised compactly as UTF-8, every byte complemented, then compressed with
/// zlib's one-shot compression (header and Adler-32 trailer included).
class ControlDatagram
{
public:
    /// Largest datagram the phone sends (compressed bytes).
    static constexpr qsizetype MaxOutgoing = 8192;
    /// Inflation buffer for incoming datagrams; the text itself is at most one byte less.
    static constexpr qsizetype InflateBuffer = 20480;

    /// Command numbers.
    enum Command : int {
        Echo = 1000,
        StandingChanged = 1014,
        FilePushed = 1015,
        Text = 1016,
        Mouse = 2010,
        Keyboard = 2011,
        Volume = 2012,
    };

    /// Pointer actions of the Mouse command.
    enum MouseAction : int { MouseMove = 1, LeftClick = 6, RightClick = 24, DoubleClick = 4102 };
    /// The key-press action of the Keyboard command, and the key codes the screens send.
    enum KeyAction : int { KeyPress = 4 };
    enum KeyCode : int {
        KeyBackspace = 8,
        KeyEnter = 13,
        KeyEscape = 27,
        KeyLeft = 37,
        KeyUp = 38,
        KeyRight = 39,
        KeyDown = 40,
        KeyDelete = 46,
        KeyStart = 91,
    };

    /// The datagram of @p message; nothing when its text is empty or when the compressed form
    /// would not fit in MaxOutgoing bytes (such a message is refused, never cut).
    [[nodiscard]] static std::optional<QByteArray> encode(const QVariantMap &message);
    /// The message object of @p datagram; nothing when it does not inflate within the buffer, is
    /// not UTF-8 up to its first zero byte, or is not a JSON object.
    [[nodiscard]] static std::optional<QVariantMap> decode(const QByteArray &datagram);

    /// Field 7 of an identity string (the sender's machine id); nothing when it has fewer fields.
    [[nodiscard]] static std::optional<QString> machineIdOf(const QString &ua);

    /// The message objects the phone sends; @p ua is the sender's identity string.
    [[nodiscard]] static QVariantMap echo(const QString &ua);
    [[nodiscard]] static QVariantMap text(const QString &ua, const QString &text);
    /// "data" of a pointer motion: horizontal and vertical motion in percent of the pad, upward
    /// positive, as "%f %f".
    [[nodiscard]] static QString motionData(double dx, double dy);
    [[nodiscard]] static QVariantMap mouse(const QString &ua, int action, const QString &data);
    [[nodiscard]] static QVariantMap keyboard(const QString &ua, int action, int key, int ext);
    /// "volum" is @p volume truncated toward zero and kept within 0 to 100; a NaN gives nothing.
    [[nodiscard]] static std::optional<QVariantMap> volume(const QString &ua, double volume);
};
