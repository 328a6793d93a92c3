#include "config/TextDecoding.h"
