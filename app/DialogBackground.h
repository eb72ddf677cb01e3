#pragma once
// The skinned dialogs' background moved to the skin library, where the views'
// dialogs reach it too.
#include "skin/DialogBackground.h"
