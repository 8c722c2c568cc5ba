#include "ui/dialogs/monthly_stat.h"
