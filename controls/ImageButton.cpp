#include "controls/ImageButton.h"
