#include "Keychain.h"
