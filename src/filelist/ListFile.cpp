#include "ListFile.h"
