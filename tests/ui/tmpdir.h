// Moved: the test helpers live in tests/support.
#pragma once
#include "tests/support/tmpdir.h"
