#include "ui/dialogs/display_size.h"
