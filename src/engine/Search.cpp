#include "Search.h"
