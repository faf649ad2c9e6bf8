#pragma once
// --serve: the scan run continuously behind an HTTP endpoint for Prometheus.
#include "../core/option_lookup.h"

int runServe(const ArgumentVector& args);
