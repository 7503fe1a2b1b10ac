// A format that reaches up into the capture layer.
#pragma once

#include "capture/capturesources.h"
