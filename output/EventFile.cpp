#include "output/EventFile.h"
