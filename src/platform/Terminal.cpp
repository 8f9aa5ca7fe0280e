#include "Terminal.h"

#include <unistd.h>

namespace Terminal {

bool isStandardErrorTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

} // namespace Terminal
