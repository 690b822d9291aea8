// Natural cubic splines through tables: one-dimensional and over a grid.
#pragma once

#include <span>
#include <vector>

namespace nemora {

// Second derivatives of the natural cubic spline (second derivative 0 at
// both ends) through the first n points (x strictly increasing).
std::vector<double> SPLINE(std::span<const double> x, std::span<const double> y, int n);

// The spline of SPLINE evaluated at x; the bracketing interval is found by
// bisection, so x outside the table extrapolates the end polynomial. Raises
// (without a handler of its own) on two equal abscissae or an empty table.
double SPLINT(std::span<const double> dblX, std::span<const double> y, std::span<const double> y2,
            int n, double x);
// The two-dimensional spline: a natural spline along each row of the grid
// z[row][column] over the abscissae dblX, then a spline across the rows
// (ordinates dblRows) at the requested row abscissa; x and row outside
// their tables extrapolate the end polynomials.
double SPLINT2(std::span<const double> dblRows, std::span<const double> dblX,
               const std::vector<std::vector<double>>& z, double dblRow, double x);

}  // namespace nemora
