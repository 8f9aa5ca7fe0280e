#include "Composer.h"

using namespace Qt::StringLiterals;

bool Composer::isOpenable(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https")
        return !url.host().isEmpty();
    return scheme == u"mailto" || scheme == u"tel";
}
