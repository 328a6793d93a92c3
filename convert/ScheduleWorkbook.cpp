#include "convert/ScheduleWorkbook.h"
