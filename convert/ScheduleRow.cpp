#include "convert/ScheduleRow.h"
