#include "PathHelpers.h"
