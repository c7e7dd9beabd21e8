#include "plugin/bitmap.h"

BitmapManager* TheManager = nullptr;
