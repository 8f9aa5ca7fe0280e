#include "Logging.h"

Q_LOGGING_CATEGORY(lcCore, "zephyr.core", QtWarningMsg)
Q_LOGGING_CATEGORY(lcKeychain, "zephyr.keychain", QtWarningMsg)
