#include "events/DateValue.h"
