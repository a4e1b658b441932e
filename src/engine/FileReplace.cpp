#include "FileReplace.h"
