#include "output/ActivityLog.h"
