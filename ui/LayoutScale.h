#pragma once

// The layout scale moved to widgets/, where the directory dialogs reach it too.
#include "widgets/LayoutScale.h"
