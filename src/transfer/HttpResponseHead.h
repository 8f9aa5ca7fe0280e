#pragma once

#include <QByteArrayView>
#include <QtGlobal>

/// The head of an HTTP/1.x answer (status line and header fields), as far as a file download
/// needs it. Decoding is a pure function of the bytes received so far.
struct HttpResponseHead
{
    enum class Parse {
        Incomplete, ///< no blank line yet: wait for more bytes
        Invalid,    ///< not an HTTP/1.x answer head, or a head larger than kMaxBytes
        Complete,   ///< decoded; *headLength bytes belong to the head
    };

    /// The largest head taken; a peer sending more is not an HTTP server we can talk to.
    static constexpr qsizetype kMaxBytes = 16 * 1024;

    int status = 0;
    /// The announced body length; -1 when the answer announces none.
    qint64 contentLength = -1;
    /// A transfer coding other than "identity" was announced (the body length is then unknown).
    bool transferCoded = false;
    /// Whether the connection may carry another request after this answer's body.
    bool keepAlive = false;

    /// Decodes the head at the start of @p bytes. Lines may end with CRLF or LF. An answer
    /// announcing two different lengths, or a length that is not a number, is Invalid.
    static Parse parse(QByteArrayView bytes, HttpResponseHead *head, qsizetype *headLength);
};
