#include "NetworkInfo.h"
