#include "events/Timecode.h"
