#include "convert/EventTiming.h"
