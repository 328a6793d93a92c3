#include "convert/EventBuilder.h"
