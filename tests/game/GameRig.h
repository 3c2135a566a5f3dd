#pragma once

// The game suites' rig is the shared one of the test support.
#include "support/GameRig.h"
