#include "SetsFile.h"
