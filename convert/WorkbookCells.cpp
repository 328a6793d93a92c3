#include "convert/WorkbookCells.h"
