#pragma once

// The standard captions moved to platform/, where the directory dialogs reach them too.
#include "platform/MessageCaptions.h"
