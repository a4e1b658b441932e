#include "ReplacePipeline.h"
