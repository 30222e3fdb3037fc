// Parametric shapes of shaped parts.
#pragma once

#include <string>

// Area of the trapezium of the shaped part named Label; Fallback when no
// shape has that label.
double ShapeAreaOfLabel(const std::string& Label, double Fallback);
