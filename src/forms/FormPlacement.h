#pragma once

// The placement helper lives with the dialogs, which the sheets share.
#include "dialogs/FormPlacement.h"
