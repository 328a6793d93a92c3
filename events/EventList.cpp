#include "events/EventList.h"
