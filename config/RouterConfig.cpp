#include "config/RouterConfig.h"
