#include "config/WatchSettings.h"
