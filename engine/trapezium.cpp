#include "engine/trapezium.h"

double ShapeAreaOfLabel(const std::string&, double Fallback) { return Fallback; }
