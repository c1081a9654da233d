#pragma once

#include "support/Files.h"
#include "support/TempDir.h"

using TempDir = testsupport::TempDir;

using testsupport::readText;
using testsupport::writeText;
