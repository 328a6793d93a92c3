#include "events/Number.h"
