#include "config/Ini.h"
