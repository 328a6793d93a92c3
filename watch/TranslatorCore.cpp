#include "watch/TranslatorCore.h"
