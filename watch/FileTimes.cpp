#include "watch/FileTimes.h"
