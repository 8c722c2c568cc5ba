#include "ui/dialogs/cycle_date.h"
